# The embedded images: their generator (build/generate-images, run by
# `make assets`), the asset check (build/asset-check FOLDER), and the check run on
# src/assets/data before the images are embedded, so a replacement image that
# breaks a required property stops the build with one line per fault.
file(GLOB image_generator_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/images/*.cpp)
list(REMOVE_ITEM image_generator_sources ${CMAKE_SOURCE_DIR}/tools/images/generate_images_main.cpp)

add_library(asset_rules STATIC ${CMAKE_SOURCE_DIR}/tools/asset_check/asset_rules.cpp)
target_include_directories(asset_rules PUBLIC ${CMAKE_SOURCE_DIR}/tools/asset_check)
target_link_libraries(asset_rules PUBLIC invitation_png)

add_library(image_generator STATIC ${image_generator_sources})
target_include_directories(image_generator PUBLIC ${CMAKE_SOURCE_DIR}/tools/images)
target_link_libraries(image_generator PUBLIC asset_rules invitation_png)

add_executable(generate-images ${CMAKE_SOURCE_DIR}/tools/images/generate_images_main.cpp)
target_link_libraries(generate-images PRIVATE image_generator)

add_executable(asset-check ${CMAKE_SOURCE_DIR}/tools/asset_check/asset_check_main.cpp)
target_link_libraries(asset-check PRIVATE asset_rules)

if(NOT CMAKE_CROSSCOMPILING)
  set(checked_images "")
  foreach(file test_pattern small_font panel bar cube_c cube_a cube_b page_font scroller_font final_picture)
    list(APPEND checked_images ${CMAKE_SOURCE_DIR}/src/assets/data/${file}.png)
  endforeach()
  set(asset_check_stamp ${CMAKE_BINARY_DIR}/asset_check.stamp)
  add_custom_command(
    OUTPUT ${asset_check_stamp}
    COMMAND asset-check ${CMAKE_SOURCE_DIR}/src/assets/data
    COMMAND ${CMAKE_COMMAND} -E touch ${asset_check_stamp}
    DEPENDS asset-check ${checked_images}
    COMMENT "Checking the embedded images in src/assets/data"
    VERBATIM)
  add_custom_target(check_embedded_images DEPENDS ${asset_check_stamp})
  add_dependencies(invitation_core check_embedded_images)
endif()

if(INVITATION_TESTS)
  target_link_libraries(unit_tests PRIVATE image_generator asset_rules)
  target_compile_definitions(unit_tests PRIVATE ASSET_DATA_DIR="${CMAKE_SOURCE_DIR}/src/assets/data")
  # Redrawing the whole set takes seconds optimised and far longer under the
  # sanitizers, so this comparison runs in the optimised suite only.
  add_executable(image_generator_tests ${CMAKE_SOURCE_DIR}/tests/assets/image_generator_test.cpp)
  target_link_libraries(image_generator_tests PRIVATE image_generator GTest::gtest GTest::gtest_main)
  target_compile_definitions(image_generator_tests PRIVATE ASSET_DATA_DIR="${CMAKE_SOURCE_DIR}/src/assets/data")
  gtest_discover_tests(image_generator_tests PROPERTIES LABELS "unit" DISCOVERY_TIMEOUT 60)
endif()
