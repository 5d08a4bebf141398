# Build helpers shared by every folder.

if(TNV_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
if(TNV_FUZZ)
    # Coverage for the libraries too, so the fuzz targets are guided by the code they test.
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

add_compile_definitions(TNV_VERSION="${PROJECT_VERSION}")

# Our own code builds with every warning shown; only our own builds (scripts/build) make them
# errors, so a newer compiler's new warning never breaks a user's or a packager's build.
function(tnv_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
    if(TNV_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Each target sees the headers of its own folders and of the libraries it links, nothing else:
# tnv_include_root(TARGET SCOPE FOLDER...) lays out build/include/TARGET with one link per folder
# (relative to the checkout, e.g. platform/window) and gives that root to the target, so include
# lines keep naming folders ("platform/window/wnd.h") while the link graph decides what resolves.
function(tnv_include_root target scope)
    set(root ${PROJECT_BINARY_DIR}/include/${target})
    foreach(folder IN LISTS ARGN)
        # A folder inside another one is already reached through the outer link.
        foreach(outer IN LISTS ARGN)
            string(FIND "${folder}" "${outer}/" at)
            if(at EQUAL 0)
                set(folder)
            endif()
        endforeach()
        if(NOT folder)
            continue()
        endif()
        set(link ${root}/${folder})
        get_filename_component(parent ${link} DIRECTORY)
        file(MAKE_DIRECTORY ${parent})
        if(NOT IS_SYMLINK ${link})
            file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} SYMBOLIC)
        endif()
    endforeach()
    target_include_directories(${target} ${scope} ${root})
endfunction()

# The folders, relative to the checkout, that hold a target's sources.
function(tnv_source_folders out)
    set(folders)
    foreach(source IN LISTS ARGN)
        get_filename_component(source ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
        get_filename_component(folder ${source} DIRECTORY)
        file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${folder})
        list(APPEND folders ${folder})
    endforeach()
    list(REMOVE_DUPLICATES folders)
    set(${out} ${folders} PARENT_SCOPE)
endfunction()

# tnv_library(NAME SOURCES ... [LIBS ...] [PRIVATE_LIBS ...]) : a static library of our own code.
# LIBS are what its headers speak (its users get them too), PRIVATE_LIBS what only its sources use:
# Qt, SDL and the platform's Qt glue are always private. No class of ours needs Qt's meta-object
# compiler, so no target runs it.
function(tnv_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    tnv_source_folders(folders ${ARG_SOURCES})
    tnv_include_root(${name} PUBLIC ${folders})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS} PRIVATE ${ARG_PRIVATE_LIBS})
    tnv_warnings(${name})
endfunction()

# tnv_program(NAME SOURCES ... [LIBS ...]) : one of the programs.
function(tnv_program name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    tnv_source_folders(folders ${ARG_SOURCES})
    tnv_include_root(${name} PRIVATE ${folders})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
    tnv_warnings(${name})
endfunction()

# The environment every test runs in: no display, no sound card, and sanitizer settings.
set(TNV_TEST_ENV
    "QT_QPA_PLATFORM=offscreen"
    "SDL_AUDIODRIVER=dummy"
    "TNV_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
    "TNV_BIN_DIR=${PROJECT_BINARY_DIR}/bin"
    "ASAN_OPTIONS=detect_leaks=1:abort_on_error=1"
    "UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
    "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0")

# tnv_test(NAME SOURCES ... [LIBS ...] [ENV ...] [TIMEOUT s] [GUI] [PURE]) : one GoogleTest
# program, one CTest entry. GUI for tests of real windows: they run inside one QApplication. PURE
# for tests of the pure cores: the layer check fails when Qt or SDL is linked into one. Tests see
# every header under tests/ (fixtures and support) and those of the libraries they link.
function(tnv_test name)
    cmake_parse_arguments(ARG "GUI;PURE" "TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    tnv_include_root(${name} PRIVATE tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} tnv_test_support GTest::gtest GTest::gmock)
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE tnv_test_gui_main)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    if(ARG_PURE)
        set_property(GLOBAL APPEND PROPERTY TNV_PURE_TESTS ${name})
    endif()
    tnv_warnings(${name})
    # gcc 12 at -O3 reports overlapping copies inside its own string concatenation that cannot
    # happen (a known false positive, gone in gcc 13). The programs' code is written around it;
    # the tests' many "'" + path + "'" commands would only get harder to read.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
        target_compile_options(${name} PRIVATE -Wno-restrict)
    endif()
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${TNV_TEST_ENV};${ARG_ENV}"
                                            TIMEOUT ${ARG_TIMEOUT})
endfunction()
