# Settings every target of the project shares.
add_library(zoq_common INTERFACE)
target_compile_features(zoq_common INTERFACE cxx_std_20)
target_compile_options(zoq_common INTERFACE -Wall -Wextra)
target_compile_definitions(zoq_common INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_URL_CAST_FROM_STRING)
target_include_directories(zoq_common INTERFACE ${PROJECT_SOURCE_DIR}/src)
if(ZOQ_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "ZOQ_FUZZ needs clang: configure with CC=clang CXX=clang++")
    endif()
    # Every library is instrumented for the fuzzer's coverage and checked by
    # ASan and UBSan; only the harnesses link libFuzzer's main.
    target_compile_options(zoq_common INTERFACE
        -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(zoq_common INTERFACE -fsanitize=address,undefined)
elseif(ZOQ_SANITIZE)
    target_compile_options(zoq_common INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(zoq_common INTERFACE -fsanitize=address,undefined)
endif()

# zoq_add_qt_test(<name> SOURCES <files...> LIBS <targets...>)
# One Qt Test executable run by CTest on the offscreen platform.
function(zoq_add_qt_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zoq_common zoq_testsupport Qt6::Test ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0"
        TIMEOUT 300)
endfunction()

# zoq_add_bench(<name> SOURCES <files...> LIBS <targets...>)
function(zoq_add_bench name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE zoq_common zoq_benchsupport ${ARG_LIBS})
endfunction()

# Adds every direct subfolder of the current source folder that has a CMakeLists.txt.
function(zoq_add_subfolders)
    file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
         ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
    list(SORT children)
    foreach(child ${children})
        get_filename_component(dir ${child} DIRECTORY)
        add_subdirectory(${dir})
    endforeach()
endfunction()
