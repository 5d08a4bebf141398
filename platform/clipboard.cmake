# The system clipboard, for 8-bit text.
tnv_library(tnv_platform_clipboard SOURCES ${CMAKE_CURRENT_LIST_DIR}/clipboard.cpp
    LIBS tnv_platform_gui Qt6::Gui)
