# libFuzzer harnesses (tests/fuzz) for the parsers that take outside input: the
# Windows build's PNG decoder, the checkers' PNG reading, the module check, the
# capture program's command line and the web page's query. They need clang, so they live in a build
# of their own (build-fuzz, made by `make fuzz` and `make test`):
#   cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DINVITATION_FUZZ=ON
# There each harness is a ctest test (label "fuzz") that replays its committed
# seeds and then fuzzes for INVITATION_FUZZ_TEST_SECONDS under ASan and UBSan.
option(INVITATION_FUZZ "Build the libFuzzer harnesses (needs clang)" OFF)
if(NOT INVITATION_FUZZ)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "INVITATION_FUZZ needs clang: configure with "
                      "-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
endif()
set(INVITATION_FUZZ_TEST_SECONDS 5 CACHE STRING "Fuzzing time of each harness in its ctest test")

# Optimised enough to fuzz quickly, with assertions and every sanitizer report fatal.
set(fuzz_flags -O1 -g -fno-omit-frame-pointer -UNDEBUG
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)
set(fuzz_dir ${CMAKE_SOURCE_DIR}/tests/fuzz)
set(fuzz_findings ${CMAKE_BINARY_DIR}/fuzz-findings)
find_package(PNG REQUIRED)

add_custom_target(fuzzers)
enable_testing()

# fuzz_NAME from tests/fuzz/NAME_fuzz.cpp and the sources under test, which are
# compiled into it with the same instrumentation. CORPUS names tests/fuzz/corpus/CORPUS.
function(add_fuzzer name corpus)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOURCES;INCLUDES;LIBRARIES;OPTIONS")
  set(target fuzz_${name})
  add_executable(${target} ${fuzz_dir}/${name}_fuzz.cpp ${arg_SOURCES})
  target_include_directories(${target} PRIVATE ${arg_INCLUDES})
  target_link_libraries(${target} PRIVATE ${arg_LIBRARIES})
  target_compile_options(${target} PRIVATE ${fuzz_flags})
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  add_dependencies(fuzzers ${target})
  file(MAKE_DIRECTORY ${fuzz_findings}/${name})
  add_test(NAME fuzz.${name}
           COMMAND bash ${fuzz_dir}/run_fuzzer.sh $<TARGET_FILE:${target}> ${fuzz_dir}/corpus/${corpus}
                   ${INVITATION_FUZZ_TEST_SECONDS} ${fuzz_findings}/${name} "" ${arg_OPTIONS})
  set_tests_properties(fuzz.${name} PROPERTIES LABELS "fuzz" TIMEOUT 300
                       ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")
endfunction()

add_fuzzer(png_decoder png
  SOURCES ${CMAKE_SOURCE_DIR}/src/assets/png_decoder/png_decoder.cpp
  INCLUDES ${CMAKE_SOURCE_DIR}/src
  LIBRARIES PkgConfig::SDL12 PNG::PNG)
add_fuzzer(png_io png
  SOURCES ${CMAKE_SOURCE_DIR}/tools/common/png_io.cpp ${CMAKE_SOURCE_DIR}/tools/common/input_file.cpp
  INCLUDES ${CMAKE_SOURCE_DIR}/tools/common
  LIBRARIES PNG::PNG)
add_fuzzer(xm_reader xm
  SOURCES ${CMAKE_SOURCE_DIR}/tools/module_check/xm_reader.cpp ${CMAKE_SOURCE_DIR}/tools/module_check/module_check.cpp
  INCLUDES ${CMAKE_SOURCE_DIR}/tools/module_check)
add_fuzzer(capture_options capture_options
  SOURCES ${CMAKE_SOURCE_DIR}/tools/capture/capture_options.cpp
  INCLUDES ${CMAKE_SOURCE_DIR}/tools/capture
  OPTIONS -dict=${fuzz_dir}/capture_options.dict)
add_fuzzer(web_query web_query
  SOURCES ${CMAKE_SOURCE_DIR}/src/runtime/web/frozen_view_query.cpp ${CMAKE_SOURCE_DIR}/tools/capture/capture_options.cpp
  INCLUDES ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools/capture)
