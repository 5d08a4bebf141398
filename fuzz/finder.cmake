# The simulator finder's readers: Steam's library list, Wine registry files, Lutris game files and
# the list of set-up simulators.
foreach(name library_folders registry lutris registration)
    tnv_fuzzer(fuzz_${name} SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_${name}.cpp LIBS tnv_finder)
endforeach()
