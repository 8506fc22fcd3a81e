# Toolchain for the browser build: Debian's emscripten, through its own CMake
# platform file. Its JavaScript tools need Debian's acorn whichever node is first
# on PATH, so NODE_PATH points at Debian's node modules for every run of emcc.
set(EMSCRIPTEN_ROOT_PATH /usr/share/emscripten)
if(NOT EXISTS ${EMSCRIPTEN_ROOT_PATH}/cmake/Modules/Platform/Emscripten.cmake)
  message(FATAL_ERROR "no emscripten in ${EMSCRIPTEN_ROOT_PATH} (Debian package emscripten)")
endif()
set(ENV{NODE_PATH} /usr/share/nodejs)
include(${EMSCRIPTEN_ROOT_PATH}/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_C_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_COMPILER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
