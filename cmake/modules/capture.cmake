# The capture program: exact frames, image sequences and videos of the show,
# rendered offline from the same library as the show, with the music rendered
# by the module player the show's mixer uses (libmikmod).
find_library(MIKMOD_LIBRARY mikmod REQUIRED)
find_path(MIKMOD_INCLUDE_DIR mikmod.h REQUIRED)

file(GLOB capture_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/capture/*.cpp)
list(REMOVE_ITEM capture_sources ${CMAKE_SOURCE_DIR}/tools/capture/capture_main.cpp)
add_library(invitation_capture STATIC ${capture_sources})
target_include_directories(invitation_capture PUBLIC ${CMAKE_SOURCE_DIR}/tools/capture ${MIKMOD_INCLUDE_DIR})
target_link_libraries(invitation_capture PUBLIC invitation_core invitation_png invitation::gl ${MIKMOD_LIBRARY})

add_executable(invitation-capture ${CMAKE_SOURCE_DIR}/tools/capture/capture_main.cpp)
target_link_libraries(invitation-capture PRIVATE invitation_capture)
