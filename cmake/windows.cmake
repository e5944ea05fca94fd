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

# The installer, and a .zip of the two programs for installing by hand.
find_program(MAKENSIS makensis REQUIRED)
find_program(ZIP zip REQUIRED)
set(NIMBREL_SETUP ${CMAKE_CURRENT_BINARY_DIR}/nimbrel-${PROJECT_VERSION}-setup.exe)
add_custom_command(OUTPUT ${NIMBREL_SETUP}
  COMMAND ${MAKENSIS} -V2 -DBUILD=${CMAKE_CURRENT_BINARY_DIR} -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}
          -DVERSION=${PROJECT_VERSION} -DOUTFILE=${NIMBREL_SETUP} ${CMAKE_CURRENT_SOURCE_DIR}/data/windows/nimbrel.nsi
  DEPENDS nimbrel nimbrel_scr data/windows/nimbrel.nsi data/nimbrel.conf.example LICENSE README.md
  VERBATIM)
set(NIMBREL_ZIP ${CMAKE_CURRENT_BINARY_DIR}/nimbrel-${PROJECT_VERSION}-windows.zip)
add_custom_command(OUTPUT ${NIMBREL_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${NIMBREL_ZIP}
  COMMAND ${ZIP} -q -j ${NIMBREL_ZIP} $<TARGET_FILE:nimbrel> $<TARGET_FILE:nimbrel_scr>
  DEPENDS nimbrel nimbrel_scr
  VERBATIM)
add_custom_target(packages ALL DEPENDS ${NIMBREL_SETUP} ${NIMBREL_ZIP})
