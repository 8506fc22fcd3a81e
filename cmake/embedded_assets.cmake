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

list(LENGTH INVITATION_EMBEDDED_ASSETS asset_words)
math(EXPR last "${asset_words} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET INVITATION_EMBEDDED_ASSETS ${i} name)
  list(GET INVITATION_EMBEDDED_ASSETS ${j} file)
  if(NOT EXISTS ${INVITATION_DATA_DIR}/${file})
    message(FATAL_ERROR "missing ${INVITATION_DATA_DIR}/${file}: regenerate it with `make assets` or `make music`")
  endif()
  embed_file(invitation_core ${name} ${INVITATION_DATA_DIR}/${file})
endforeach()
