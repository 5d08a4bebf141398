# The single-line edit control.
tnv_library(tnv_platform_editctl SOURCES ${CMAKE_CURRENT_LIST_DIR}/editctl.cpp
    LIBS tnv_platform_gui)
