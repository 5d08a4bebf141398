# The indexed keyword matcher held to the plain search on fuzzed lists and lines.
tnv_fuzzer(fuzz_keyword_match SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_keyword_match.cpp
           LIBS tnv_browser_core)
