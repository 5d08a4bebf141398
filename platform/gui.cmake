# Qt: windows with message handlers, the drawing surface, system colours, dialog units and the
# Qt boundary.
tnv_library(tnv_platform_gui SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/dialog_units.cpp
    ${CMAKE_CURRENT_LIST_DIR}/qtbridge.cpp
    ${CMAKE_CURRENT_LIST_DIR}/syscolors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/surface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/surface_draw.cpp
    ${CMAKE_CURRENT_LIST_DIR}/surface_fonts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wnd_focus.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wnd_paint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wnd_scroll.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wnd_input.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wnd_app.cpp
    ${CMAKE_CURRENT_LIST_DIR}/wnd_events.cpp
    LIBS tnv_platform_core Qt6::Widgets)
# Ctrl+C and SIGTERM as a close request to the windows of each program.
tnv_library(tnv_platform_signals SOURCES ${CMAKE_CURRENT_LIST_DIR}/wnd_app_signals.cpp
    LIBS Qt6::Widgets)
