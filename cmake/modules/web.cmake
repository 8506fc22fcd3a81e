# The browser build's share of the desktop build: the frozen view's query parser
# (the capture program's option parser behind the page's address) tested
# natively, and the tests of the browser build itself (cmake/web, `make web`):
# its WebAssembly unit tests under node, and the page in headless Chromium
# (tests/web/*_test.mjs), which also run the capture program. `make test` builds
# the browser build first and names its folder, whose tests then must run; without
# that they look in the usual place and skip when nothing was built there.
if(NOT INVITATION_TESTS)
  return()
endif()

add_executable(web_query_tests
  ${CMAKE_SOURCE_DIR}/tests/web/frozen_view_query_test.cpp
  ${CMAKE_SOURCE_DIR}/src/runtime/web/frozen_view_query.cpp
  ${CMAKE_SOURCE_DIR}/tools/capture/capture_options.cpp)
target_include_directories(web_query_tests PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tools/capture)
target_link_libraries(web_query_tests PRIVATE GTest::gtest GTest::gtest_main)
gtest_add_tests(TARGET web_query_tests TEST_LIST web_query_test_list)
set_tests_properties(${web_query_test_list} PROPERTIES LABELS "web;unit;sanitized")

set(INVITATION_WEB_DIR "" CACHE PATH "Folder of the browser build (make web)")
if(INVITATION_WEB_DIR)
  set(web_dir ${INVITATION_WEB_DIR})
  set(web_required 1)
else()
  set(web_dir ${CMAKE_SOURCE_DIR}/build-web)
  set(web_required 0)
endif()
find_program(NODE_PROGRAM node)
if(NOT NODE_PROGRAM)
  if(web_required)
    message(FATAL_ERROR "node is needed for the browser tests (Debian package nodejs)")
  endif()
  return()
endif()

set(web_env
  INVITATION_WEB_DIR=${web_dir}
  INVITATION_WEB_REQUIRED=${web_required}
  INVITATION_WEB_NODE_MODULES=${web_dir}/test-node/node_modules
  INVITATION_CAPTURE=$<TARGET_FILE:invitation-capture>
  INVITATION_TEST_OUTPUT=${CMAKE_BINARY_DIR}/test-output)

add_test(NAME web.wasm_unit COMMAND bash ${CMAKE_SOURCE_DIR}/tests/web/wasm_unit_tests.sh ${NODE_PROGRAM})
# Each browser test starts Chromium with software WebGL: one at a time.
foreach(name page frames music)
  add_test(NAME web.${name} COMMAND ${NODE_PROGRAM} ${CMAKE_SOURCE_DIR}/tests/web/${name}_test.mjs)
endforeach()
set_tests_properties(web.wasm_unit web.page web.frames web.music PROPERTIES
  LABELS web ENVIRONMENT "${web_env}" SKIP_RETURN_CODE 77 TIMEOUT 300 RUN_SERIAL TRUE)
