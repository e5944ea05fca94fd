# SPDX-License-Identifier: MIT
# The Windows programs, cross-built on Debian by scripts/build-windows.sh:
# nimbrel.exe, the screensaver nimbrel.scr from the same sources, the
# installer and a .zip of the two.

# Programs for the desktop: no console window.
set_target_properties(nimbrel PROPERTIES WIN32_EXECUTABLE ON)

add_executable(nimbrel_scr WIN32
  src/os/windows/scr_main.cpp
  src/os/windows/ScreenSaver.cpp
  src/os/windows/SettingsDialog.cpp
  src/os/windows/SettingsDialog.rc
)
set_target_properties(nimbrel_scr PROPERTIES OUTPUT_NAME nimbrel SUFFIX .scr)
target_include_directories(nimbrel_scr PRIVATE src/os/windows)
target_link_libraries(nimbrel_scr PRIVATE nimbrel_sdl comctl32)

if(NIMBREL_TESTS)
  enable_testing()
  add_subdirectory(tests)
endif()
