# cmake -DINPUT=file -DNAME=symbol -DOUTPUT=file.cpp -P embed_file.cmake
# Writes a C++ source that holds the input's bytes as a constant array.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
if(size EQUAL 0)
  message(FATAL_ERROR "${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n"
  "extern const unsigned char ${NAME}[${size}];\n"
  "extern const std::size_t ${NAME}_size;\n"
  "const unsigned char ${NAME}[${size}] = {\n${bytes}};\n"
  "const std::size_t ${NAME}_size = ${size};\n")
file(RENAME ${OUTPUT}.tmp ${OUTPUT})
