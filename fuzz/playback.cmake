tnv_fuzzer(fuzz_wav SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_wav.cpp LIBS tnv_playback_wave)
