# Printing: page surfaces on a printer or PDF file, the print, page-setup and preview dialogs.
tnv_library(tnv_platform_print SOURCES ${CMAKE_CURRENT_LIST_DIR}/print.cpp
    LIBS tnv_platform_gui Qt6::PrintSupport)
