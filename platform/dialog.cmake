#Modal dialogs laid out in dialog units, on Qt Widgets(used by the uninstaller and the about boxes).
tnv_library(tnv_platform_dialog SOURCES ${CMAKE_CURRENT_LIST_DIR} /
            dialog.cpp LIBS tnv_platform_core tnv_platform_gui Qt6::Widgets)
