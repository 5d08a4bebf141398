# RIFF chunk I/O (no SDL), and the sound output: DirectSound-like buffers on an SDL2 mixer.
tnv_library(tnv_platform_riff SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/riff.cpp
    LIBS tnv_platform_core)

tnv_library(tnv_platform_audio SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/audio.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audio_decode.cpp
    ${CMAKE_CURRENT_LIST_DIR}/audio_mixer.cpp
    LIBS tnv_platform_riff SDL2::SDL2)
