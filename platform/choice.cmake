# Picking one of a few folders in a small modal window.
tnv_library(tnv_platform_choice SOURCES ${CMAKE_CURRENT_LIST_DIR}/choice_dialog.cpp
    LIBS tnv_platform_gui Qt6::Widgets)
