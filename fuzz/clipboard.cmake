tnv_fuzzer(fuzz_paste SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_paste.cpp LIBS tnv_grid_core)
