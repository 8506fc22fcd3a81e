# The capture program: exact frames, image sequences and videos of the show,
# rendered offline from the same library as the show, with the music rendered
# by the module player the show's mixer uses (libmikmod). POSIX only: it drives
# ffmpeg through a pipe.
if(WIN32)
  return()
endif()
find_library(MIKMOD_LIBRARY mikmod REQUIRED)
find_path(MIKMOD_INCLUDE_DIR mikmod.h REQUIRED)

file(GLOB capture_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/capture/*.cpp)
list(REMOVE_ITEM capture_sources ${CMAKE_SOURCE_DIR}/tools/capture/capture_main.cpp)
add_library(invitation_capture STATIC ${capture_sources})
target_include_directories(invitation_capture PUBLIC ${CMAKE_SOURCE_DIR}/tools/capture ${MIKMOD_INCLUDE_DIR})
target_link_libraries(invitation_capture PUBLIC invitation_core invitation_png invitation::gl ${MIKMOD_LIBRARY})

add_executable(invitation-capture ${CMAKE_SOURCE_DIR}/tools/capture/capture_main.cpp)
target_link_libraries(invitation-capture PRIVATE invitation_capture)

# Frames checked against the timeline and reference pictures; sequences. The
# command line, the videos and the sound are checked by tests/e2e/capture_*.sh.
if(INVITATION_TESTS)
  add_executable(capture_tests ${CMAKE_SOURCE_DIR}/tests/capture/capture_frames_test.cpp)
  target_link_libraries(capture_tests PRIVATE invitation_png GTest::gtest GTest::gtest_main)
  target_compile_definitions(capture_tests PRIVATE
    CAPTURE_PROGRAM="$<TARGET_FILE:invitation-capture>"
    CAPTURE_REFERENCE_DIR="${CMAKE_SOURCE_DIR}/tests/capture/reference"
    TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
  add_dependencies(capture_tests invitation-capture)
  gtest_add_tests(TARGET capture_tests TEST_LIST capture_test_list)
  set_tests_properties(${capture_test_list} PROPERTIES LABELS "capture")

  # The capture program's parts on their own: the sound stream, output paths and
  # temporaries, the frame pipeline.
  file(GLOB capture_unit_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/capture/*_test.cpp)
  list(REMOVE_ITEM capture_unit_sources ${CMAKE_SOURCE_DIR}/tests/capture/capture_frames_test.cpp)
  add_executable(capture_unit_tests ${capture_unit_sources})
  target_link_libraries(capture_unit_tests PRIVATE invitation_capture GTest::gtest GTest::gtest_main)
  target_compile_definitions(capture_unit_tests PRIVATE TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
  gtest_add_tests(TARGET capture_unit_tests TEST_LIST capture_unit_test_list)
  set_tests_properties(${capture_unit_test_list} PROPERTIES LABELS "capture;sanitized")
endif()

# Frames per second of MP4 and PNG output over a fixed span, the MP4's quality
# and the settings sweeps behind the choices; run by hand: build/bench/capture_bench
if(INVITATION_TESTS)
  add_executable(capture_bench ${CMAKE_SOURCE_DIR}/bench/capture/capture_bench.cpp)
  target_link_libraries(capture_bench PRIVATE invitation_capture)
  target_compile_definitions(capture_bench PRIVATE CAPTURE_PROGRAM="$<TARGET_FILE:invitation-capture>")
  set_target_properties(capture_bench PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
  add_dependencies(capture_bench invitation-capture)
endif()
