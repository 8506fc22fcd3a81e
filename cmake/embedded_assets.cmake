# The show's media, embedded into invitation_core as constant byte arrays.
set(INVITATION_DATA_DIR ${CMAKE_SOURCE_DIR}/src/assets/data)
set(INVITATION_EMBEDDED_ASSETS
  test_pattern_png   test_pattern.png
  small_font_png     small_font.png
  panel_png          panel.png
  bar_png            bar.png
  cube_c_png         cube_c.png
  cube_a_png         cube_a.png
  cube_b_png         cube_b.png
  page_font_png      page_font.png
  scroller_font_png  scroller_font.png
  final_picture_png  final_picture.png
  music_module       music.xm)

set(missing_assets "")
list(LENGTH INVITATION_EMBEDDED_ASSETS asset_words)
math(EXPR last "${asset_words} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET INVITATION_EMBEDDED_ASSETS ${i} name)
  list(GET INVITATION_EMBEDDED_ASSETS ${j} file)
  if(EXISTS ${INVITATION_DATA_DIR}/${file})
    embed_file(invitation_core ${name} ${INVITATION_DATA_DIR}/${file})
  else()
    list(APPEND missing_assets ${name})
  endif()
endforeach()

# Until every file exists, the missing ones are empty arrays, so the show still
# builds and runs (an absent module means no sound).
if(missing_assets)
  message(WARNING "Embedded assets not yet present: ${missing_assets}")
  set(stub ${CMAKE_BINARY_DIR}/embedded/missing_assets.cpp)
  set(text "#include <cstddef>\n")
  foreach(name ${missing_assets})
    string(APPEND text "extern const unsigned char ${name}[1] = {0};\nextern const std::size_t ${name}_size = 0;\n")
  endforeach()
  file(WRITE ${stub} "${text}")
  target_sources(invitation_core PRIVATE ${stub})
endif()
