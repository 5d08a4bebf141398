# No Qt: opening documents and starting detached scripts through the desktop, special folders.
tnv_library(tnv_platform_shell SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/shell.cpp
    LIBS tnv_platform_core)
