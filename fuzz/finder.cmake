# The simulator finder's readers: Steam's library list, Wine registry files, Lutris game files and
# the list of set-up simulators. One body, one target (and corpus) per reader.
foreach(target IN ITEMS library_folders:LibraryFolderPaths registry:RegistryDrivePaths
                        lutris:LutrisPrefixes registration:RegistrationLines)
    string(REPLACE ":" ";" target ${target})
    list(GET target 0 name)
    list(GET target 1 reader)
    tnv_fuzzer(fuzz_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_finder_paths.cpp LIBS tnv_finder)
    target_compile_definitions(fuzz_${name} PRIVATE TNV_FINDER_READER=${reader})
endforeach()
