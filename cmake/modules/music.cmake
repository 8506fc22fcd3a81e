# The music: its composer (build/music-composer FILE, run by `make music`), the
# module check (build/module-check FILE), and the check run on
# src/assets/data/music.xm before it is embedded, so a module that breaks what
# the show relies on stops the build with one line per fault.
set(music_composer_sources
  ${CMAKE_SOURCE_DIR}/tools/music/xm_writer.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/synth.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/instruments.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/score.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/tracks.cpp
  ${CMAKE_SOURCE_DIR}/tools/music/song.cpp)
add_library(music_composer STATIC ${music_composer_sources})
target_include_directories(music_composer PUBLIC ${CMAKE_SOURCE_DIR}/tools/music)

add_executable(music-composer ${CMAKE_SOURCE_DIR}/tools/music/main.cpp)
target_link_libraries(music-composer PRIVATE music_composer)

add_library(module_rules STATIC
  ${CMAKE_SOURCE_DIR}/tools/module_check/xm_reader.cpp
  ${CMAKE_SOURCE_DIR}/tools/module_check/module_check.cpp)
target_include_directories(module_rules PUBLIC ${CMAKE_SOURCE_DIR}/tools/module_check)

add_executable(module-check ${CMAKE_SOURCE_DIR}/tools/module_check/main.cpp)
target_link_libraries(module-check PRIVATE module_rules invitation_input)

set(music_file ${CMAKE_SOURCE_DIR}/src/assets/data/music.xm)
if(NOT CMAKE_CROSSCOMPILING AND EXISTS ${music_file})
  set(module_check_stamp ${CMAKE_BINARY_DIR}/module_check.stamp)
  add_custom_command(
    OUTPUT ${module_check_stamp}
    COMMAND module-check ${music_file}
    COMMAND ${CMAKE_COMMAND} -E touch ${module_check_stamp}
    DEPENDS module-check ${music_file}
    COMMENT "Checking the embedded module src/assets/data/music.xm"
    VERBATIM)
  add_custom_target(check_embedded_music DEPENDS ${module_check_stamp})
  add_dependencies(invitation_core check_embedded_music)
endif()

# libxmp, an independent player, renders the module for the timing tests and for
# docs/music_spectrogram.png (`cmake --build build --target music_spectrogram`).
if(NOT CMAKE_CROSSCOMPILING)
  pkg_check_modules(XMP IMPORTED_TARGET libxmp)
endif()
if(XMP_FOUND)
  add_executable(music-render ${CMAKE_SOURCE_DIR}/tools/music/render/render_pass.cpp)
  target_link_libraries(music-render PRIVATE PkgConfig::XMP)
  set(music_pass_wav ${CMAKE_BINARY_DIR}/music_pass.wav)
  add_custom_target(music_spectrogram
    COMMAND music-render ${music_file} ${music_pass_wav}
    COMMAND sox ${music_pass_wav} -n remix - rate 22050 spectrogram -x 1200 -y 321 -z 80
            -t "music.xm, one pass (264 s), libxmp" -o ${CMAKE_SOURCE_DIR}/docs/music_spectrogram.png
    DEPENDS music-render ${music_file}
    COMMENT "Rendering one pass of the module and its spectrogram"
    VERBATIM)
endif()

if(INVITATION_TESTS)
  if(NOT XMP_FOUND)
    message(FATAL_ERROR "the music tests need libxmp (Debian package libxmp-dev)")
  endif()
  target_link_libraries(unit_tests PRIVATE music_composer module_rules PkgConfig::XMP)
endif()
