# The reader's own sources are compiled into the target so that the fuzzer sees their coverage.
tnv_fuzzer(fuzz_wav SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/fuzz_wav.cpp
    ${PROJECT_SOURCE_DIR}/playback/wave_reader.cpp
    ${PROJECT_SOURCE_DIR}/playback/builtin_sounds.cpp
    ${PROJECT_SOURCE_DIR}/platform/riff.cpp
    LIBS tnv_platform_core)
target_include_directories(fuzz_wav PRIVATE ${PROJECT_SOURCE_DIR})
