# The SDL desktop's part of the show library, shared by the Linux build
# (src/platform/gtk) and the Windows build (src/platform/win32), which pass these
# to add_show_library with their own dialog: the start-up on SDL's desktop video
# and sound, the choice of video driver, the compatibility layer's scaling and
# holding back standard error.
file(GLOB SDL_DESKTOP_SOURCES CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
