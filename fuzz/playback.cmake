# The WAV reader on fuzzed bytes, from a file on disk and as a built-in sound held in memory, and
# the decoder of compressed sound data.
tnv_fuzzer(fuzz_wav SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_wav.cpp
           LIBS tnv_playback_wave tnv_platform_sound)
