# The product's facts from the top CMakeLists.txt, checked and handed on:
#   GENERATED/product.h  macros for C++ and the Windows resource compiler, through
#                        the interface library invitation_product
#   BUILD/product.env    shell variables for tools/release/make_release.sh and the
#                        release's tests (product_name, product_short_name,
#                        product_version, product_icon_sizes)
# Each fact lands unescaped in C strings, resource scripts, XML, HTML, roff,
# desktop entries and shell words, so only characters all of them take as they
# are get through.
if(NOT INVITATION_PRODUCT_NAME MATCHES "^[A-Za-z0-9]([A-Za-z0-9 .-]*[A-Za-z0-9])?$")
  message(FATAL_ERROR "INVITATION_PRODUCT_NAME '${INVITATION_PRODUCT_NAME}': letters, digits, spaces, dots and "
                      "hyphens only, starting and ending with a letter or digit")
endif()
# A Debian package name, which is also a file name and a command.
if(NOT INVITATION_SHORT_NAME MATCHES "^[a-z0-9][a-z0-9+.-]+$")
  message(FATAL_ERROR "INVITATION_SHORT_NAME '${INVITATION_SHORT_NAME}': lower-case letters, digits, '+', '.' "
                      "and '-', at least two, starting with a letter or digit")
endif()
# Sides the icon generator draws (16 and up) and an .ico entry describes (up to
# 256), each once, smallest first: the order of the .ico's entries.
set(previous 0)
foreach(size ${INVITATION_ICON_SIZES})
  if(NOT size MATCHES "^[0-9]+$" OR size LESS 16 OR size GREATER 256 OR NOT size GREATER previous)
    message(FATAL_ERROR "INVITATION_ICON_SIZES '${INVITATION_ICON_SIZES}': whole numbers from 16 to 256, "
                        "ascending, each once")
  endif()
  set(previous ${size})
endforeach()
if(NOT INVITATION_ICON_SIZES)
  message(FATAL_ERROR "INVITATION_ICON_SIZES is empty")
endif()

string(REPLACE ";" ", " INVITATION_ICON_SIZES_C "${INVITATION_ICON_SIZES}")
string(REPLACE ";" " " INVITATION_ICON_SIZES_WORDS "${INVITATION_ICON_SIZES}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/product.h.in ${CMAKE_BINARY_DIR}/generated/product.h @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/product.env.in ${CMAKE_BINARY_DIR}/product.env @ONLY)

add_library(invitation_product INTERFACE)
target_include_directories(invitation_product INTERFACE ${CMAKE_BINARY_DIR}/generated)
