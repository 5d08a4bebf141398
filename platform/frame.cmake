# The frame, dialogs and settings of the programs' windows, on Qt Widgets.
find_package(X11 QUIET)
tnv_library(tnv_platform_frame SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/frame.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_app.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_keys.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame_dialogs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/msgbox_qt.cpp
    ${CMAKE_CURRENT_LIST_DIR}/filedialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/settings.cpp
    LIBS tnv_platform_core tnv_platform_gui Qt6::Widgets)
if(X11_FOUND AND X11_Xkb_FOUND)
    target_compile_definitions(tnv_platform_frame PRIVATE TNV_HAVE_X11)
    target_link_libraries(tnv_platform_frame PRIVATE X11::X11)
endif()

# A window as the frame's view.
tnv_library(tnv_platform_frame_view SOURCES ${CMAKE_CURRENT_LIST_DIR}/frame_view.cpp
    LIBS tnv_platform_frame tnv_platform_gui)
