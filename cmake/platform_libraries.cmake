# Imported targets for SDL 1.2 (with SDL_image and SDL_mixer) and OpenGL.
# OpenGL is kept apart from the library so that unit tests can link a recording
# stand-in in its place.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SDL12 REQUIRED IMPORTED_TARGET sdl)
find_library(SDL_IMAGE_LIBRARY SDL_image REQUIRED)
find_library(SDL_MIXER_LIBRARY SDL_mixer REQUIRED)
find_package(OpenGL REQUIRED)

add_library(invitation::sdl INTERFACE IMPORTED)
target_link_libraries(invitation::sdl INTERFACE PkgConfig::SDL12 ${SDL_IMAGE_LIBRARY} ${SDL_MIXER_LIBRARY})

add_library(invitation::gl INTERFACE IMPORTED)
target_link_libraries(invitation::gl INTERFACE OpenGL::GL)
