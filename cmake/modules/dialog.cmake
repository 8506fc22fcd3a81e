# The launch dialog's toolkit. On Linux: GTK 3 with the display modes from XRandR,
# added to the core library. Windows brings its own dialog; elsewhere the show
# starts without one.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  pkg_check_modules(DIALOG_TOOLKIT REQUIRED IMPORTED_TARGET gtk+-3.0 xrandr x11)
  file(GLOB dialog_toolkit_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/runtime/gtk/*.cpp)
  target_sources(invitation_core PRIVATE ${dialog_toolkit_sources})
  target_link_libraries(invitation_core PRIVATE PkgConfig::DIALOG_TOOLKIT)
elseif(NOT WIN32)
  target_compile_definitions(invitation_core PRIVATE INVITATION_NO_DIALOG_TOOLKIT)
endif()
