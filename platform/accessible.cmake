# Self-drawn tables as accessible tables for screen readers.
tnv_library(tnv_platform_accessible SOURCES ${CMAKE_CURRENT_LIST_DIR}/accessible.cpp
    LIBS tnv_platform_gui Qt6::Widgets)
