# The Windows build's share of the Linux build: its PNG decoder built natively, so
# the unit tests can hold it against SDL_image, and the whereabouts of the Windows
# executable for the end-to-end tests under Wine (tests/e2e/windows_*.sh), which
# `make test` builds first with `make windows`.
if(NOT INVITATION_TESTS)
  return()
endif()

find_package(PNG REQUIRED)
add_library(png_decoder STATIC ${CMAKE_SOURCE_DIR}/src/assets/png_decoder/png_decoder.cpp)
target_include_directories(png_decoder PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(png_decoder PUBLIC invitation::sdl PNG::PNG)
target_link_libraries(unit_tests PRIVATE png_decoder)

# Set by `make test`: the Windows build folder, whose executable the Windows tests
# then require. Without it they look in the usual place and report themselves
# skipped when nothing was built there. The Wine tests are skipped as well, each
# with its reason, on a host that cannot run 32-bit programs (tests/e2e/lib).
set(INVITATION_WIN32_DIR "" CACHE PATH "Folder of the Windows build (make windows)")
if(INVITATION_WIN32_DIR)
  set(win32_dir ${INVITATION_WIN32_DIR})
  set(win32_required 1)
else()
  set(win32_dir ${CMAKE_SOURCE_DIR}/build-win32)
  set(win32_required 0)
endif()
file(WRITE ${CMAKE_BINARY_DIR}/windows_build.env
  "win32_dir='${win32_dir}'\nwin32_required=${win32_required}\n")
