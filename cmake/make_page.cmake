# cmake -DTEMPLATE=page.html -DSCRIPT=invitation.js -DOUTPUT=invitation.html
#       -DMAX_BYTES=N [-DICON=icon.png] [-DPRODUCT_NAME=name] -P make_page.cmake
# Puts the compiled show into the page template, in place of its marker, as one
# inline script with its WebAssembly in an element beside it, the icon, where the
# template names it, as base64 for a data URI, and the product's name wherever
# the template says @PRODUCT_NAME@; checks the page against its size budget. The
# page is written under a temporary name and takes its own only when complete.
include(${CMAKE_CURRENT_LIST_DIR}/base64.cmake)
# The markers are written as they stand in the template; a script run on its own
# would otherwise read "@NAME@" as the variable NAME.
cmake_policy(SET CMP0053 NEW)

set(marker "<!-- the show -->")
set(icon_marker "@ICON_PNG_BASE64@")
set(name_marker "@PRODUCT_NAME@")
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

# The GL emulation announces itself on the console whenever it starts ("WARNING:
# using emscripten GL emulation...", three lines), and emscripten has no setting
# that leaves the notices out: the calls that print them are taken out here.
# Anything else the emulation prints still reaches the console.
set(gl_notice "WARNING: using emscripten GL")
string(REGEX REPLACE "err\\(\"${gl_notice}[^\"]*\"\\)" "void 0" script "${script}")
string(FIND "${script}" "${gl_notice}" found)
if(NOT found EQUAL -1)
  message(FATAL_ERROR "${SCRIPT} prints '${gl_notice}...' in a form this step does not know")
endif()

# Emscripten writes the WebAssembly into the script as a base64 data URI, which
# the script engine would scan and compile along with the code. It goes instead
# into an element of its own, which no engine parses; the browser decodes it
# (fetch of the data URI) and compiles it while the page carries on, through
# the runtime's hook for instantiating the module (Module.instantiateWasm).
set(wasm_assignment "wasmBinaryFile=\"data:application/octet-stream;base64,[A-Za-z0-9+/=]+\"")
string(REGEX MATCH "${wasm_assignment}" wasm_found "${script}")
if(NOT wasm_found)
  message(FATAL_ERROR "${SCRIPT} holds no wasmBinaryFile data URI (a single-file build makes one)")
endif()
string(REPLACE "${wasm_found}" "wasmBinaryFile=\"\"" script "${script}")
string(REGEX REPLACE "^wasmBinaryFile=\"(.*)\"$" "\\1" wasm_uri "${wasm_found}")
set(wasm_loader [=[<script type="application/octet-stream" id="show-wasm">@WASM_URI@</script>
<script>
Module.instantiateWasm = function (imports, instantiated) {
  fetch(document.getElementById('show-wasm').textContent)
    .then((response) => response.arrayBuffer())
    .then((bytes) => WebAssembly.instantiate(bytes, imports))
    .then((result) => instantiated(result.instance, result.module))
    .catch((error) => { if (Module.onAbort) Module.onAbort(error); });
  return {};
};
</script>
]=])
string(REPLACE "@WASM_URI@" "${wasm_uri}" wasm_loader "${wasm_loader}")

string(FIND "${page}" "${icon_marker}" icon_at)
if(NOT icon_at EQUAL -1)
  if(NOT ICON OR NOT EXISTS "${ICON}")
    message(FATAL_ERROR "${TEMPLATE} names an icon, but ICON='${ICON}' is no file")
  endif()
  base64_encode("${ICON}" icon_base64)
  string(REPLACE "${icon_marker}" "${icon_base64}" page "${page}")
endif()

# The name goes into the text of elements and attributes as it is: the build
# lets through no character HTML would read otherwise (cmake/product.cmake).
string(FIND "${page}" "${name_marker}" name_at)
if(NOT name_at EQUAL -1)
  if("${PRODUCT_NAME}" STREQUAL "" OR "${PRODUCT_NAME}" MATCHES "[<>&\"']")
    message(FATAL_ERROR "${TEMPLATE} names the product, but PRODUCT_NAME='${PRODUCT_NAME}' is empty or not plain text")
  endif()
  string(REPLACE "${name_marker}" "${PRODUCT_NAME}" page "${page}")
endif()
# A marker this step does not fill would reach the reader as it stands.
string(REGEX MATCH "@[A-Z][A-Z0-9_]*@" unfilled "${page}")
if(unfilled)
  message(FATAL_ERROR "${TEMPLATE} holds ${unfilled}, which this step does not fill")
endif()

string(REPLACE "${marker}" "${wasm_loader}<script>\n${script}\n</script>" page "${page}")
file(WRITE ${OUTPUT}.tmp "${page}")
file(SIZE ${OUTPUT}.tmp size)
if(size GREATER MAX_BYTES)
  file(REMOVE ${OUTPUT}.tmp)
  message(FATAL_ERROR "the page is ${size} bytes, over its budget of ${MAX_BYTES}")
endif()
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
message(STATUS "${OUTPUT}: ${size} bytes")
