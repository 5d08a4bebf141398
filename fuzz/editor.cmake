tnv_fuzzer(fuzz_cueline SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_cueline.cpp LIBS tnv_crew_pack)
