tnv_fuzzer(fuzz_paste SOURCES ${CMAKE_CURRENT_LIST_DIR}/fuzz_paste.cpp
    ${PROJECT_SOURCE_DIR}/grid/clipboard_text.cpp LIBS tnv_platform_core)
