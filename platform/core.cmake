# No Qt: the vocabulary, the code page, the message-box service and the file system helpers.
tnv_library(tnv_platform_core SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/codepage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/msgbox.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fs.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fs_write.cpp
    ${CMAKE_CURRENT_LIST_DIR}/locale_text.cpp)
