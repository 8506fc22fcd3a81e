# cmake -DTEMPLATE=page.html -DSCRIPT=invitation.js -DOUTPUT=invitation.html
#       -DMAX_BYTES=N -P make_page.cmake
# Puts the compiled show into the page template, in place of its marker, as one
# inline script, and checks the page against its size budget.
set(marker "<!-- the show -->")
file(READ ${TEMPLATE} page)
file(READ ${SCRIPT} script)
string(FIND "${page}" "${marker}" at)
if(at EQUAL -1)
  message(FATAL_ERROR "${TEMPLATE} has no '${marker}'")
endif()
# An inline script ends at the first "</script" in it, whatever the JavaScript
# meant, and "<!--" can make the parser pass over that end.
string(TOLOWER "${script}" lower_script)
foreach(hazard "</script" "<!--")
  string(FIND "${lower_script}" "${hazard}" found)
  if(NOT found EQUAL -1)
    message(FATAL_ERROR "${SCRIPT} holds '${hazard}', which an inline script cannot hold")
  endif()
endforeach()
string(REPLACE "${marker}" "<script>\n${script}\n</script>" page "${page}")
file(WRITE ${OUTPUT}.tmp "${page}")
file(SIZE ${OUTPUT}.tmp size)
if(size GREATER MAX_BYTES)
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "the page is ${size} bytes, over its budget of ${MAX_BYTES}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
message(STATUS "${OUTPUT}: ${size} bytes")
