# The show as one static library, invitation_core, defined the same way for the
# Linux, Windows and browser builds: C++20, the warnings, the show's sources
# (src/runtime, src/assets, src/render, without the process entry), the files
# embedded as constant byte arrays, and the sources of the build's platform.
#
#   add_show_library(PLATFORM_SOURCES file... [INCLUDES dir...])
#
# The embedded files come from the one list, src/assets/embedded_files.h, which
# invitation_embedded_files() reads into INVITATION_EMBEDDED_NAMES and
# INVITATION_EMBEDDED_FILES (parallel lists: byte array name, file in
# src/assets/data).
get_filename_component(INVITATION_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(INVITATION_DATA_DIR ${INVITATION_ROOT}/src/assets/data)
set(INVITATION_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/embed_file.cmake)

# Every build compiles the show the same way.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-Wall$<SEMICOLON>-Wextra>)

# Reads the embedded list: each EMBEDDED_IMAGE(name, "file", slot) becomes the
# array name_png, each EMBEDDED_MODULE(name, "file") the array name.
function(invitation_embedded_files)
  set(list_file ${INVITATION_ROOT}/src/assets/embedded_files.h)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
  file(READ ${list_file} text)
  string(REGEX MATCHALL "EMBEDDED_(IMAGE|MODULE)\\([a-z0-9_]+, \"[^\"]+\"" entries "${text}")
  set(names "")
  set(files "")
  foreach(line ${entries})
    string(REGEX MATCH "EMBEDDED_(IMAGE|MODULE)\\(([a-z0-9_]+), \"([^\"]+)\"" found "${line}")
    if(CMAKE_MATCH_1 STREQUAL "IMAGE")
      list(APPEND names ${CMAKE_MATCH_2}_png)
    else()
      list(APPEND names ${CMAKE_MATCH_2})
    endif()
    list(APPEND files ${CMAKE_MATCH_3})
  endforeach()
  if(NOT names)
    message(FATAL_ERROR "no embedded files found in ${list_file}")
  endif()
  set(INVITATION_EMBEDDED_NAMES ${names} PARENT_SCOPE)
  set(INVITATION_EMBEDDED_FILES ${files} PARENT_SCOPE)
endfunction()

# At build time, turns the file at PATH into the constant byte array NAME (with
# NAME_size, its exact length) compiled into TARGET.
function(embed_file target name path)
  set(out ${CMAKE_BINARY_DIR}/embedded/${name}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${path} -DNAME=${name} -DOUTPUT=${out} -P ${INVITATION_EMBED_SCRIPT}
    DEPENDS ${path} ${INVITATION_EMBED_SCRIPT}
    COMMENT "Embedding ${name}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()

function(add_show_library)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "" "PLATFORM_SOURCES;INCLUDES")
  file(GLOB show_sources CONFIGURE_DEPENDS
    ${INVITATION_ROOT}/src/runtime/*.cpp
    ${INVITATION_ROOT}/src/assets/*.cpp
    ${INVITATION_ROOT}/src/render/*.cpp)
  list(REMOVE_ITEM show_sources ${INVITATION_ROOT}/src/runtime/entry.cpp)
  add_library(invitation_core STATIC ${show_sources} ${arg_PLATFORM_SOURCES})
  target_include_directories(invitation_core PUBLIC ${INVITATION_ROOT}/src ${arg_INCLUDES})

  invitation_embedded_files()
  foreach(name file IN ZIP_LISTS INVITATION_EMBEDDED_NAMES INVITATION_EMBEDDED_FILES)
    if(NOT EXISTS ${INVITATION_DATA_DIR}/${file})
      message(FATAL_ERROR "missing ${INVITATION_DATA_DIR}/${file}: regenerate it with `make assets` or `make music`")
    endif()
    embed_file(invitation_core ${name} ${INVITATION_DATA_DIR}/${file})
  endforeach()
endfunction()
