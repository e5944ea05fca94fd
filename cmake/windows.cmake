# SPDX-License-Identifier: MIT
# The Windows programs, cross-built on Debian by scripts/build-windows.sh:
# nimbrel.exe, the screensaver nimbrel.scr from the same sources, the
# installer and a .zip of the two.

# Windows' text is UTF-16: the core's UTF-8 paths and values go through it.
target_sources(nimbrel_core PRIVATE src/os/windows/WideText.cpp)

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

# The resources of both programs: the manifest, the icon rendered from
# the drawing in every size Windows picks from, and the version.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)
set(NIMBREL_ICO ${CMAKE_CURRENT_BINARY_DIR}/nimbrel.ico)
set(icon_pngs)
foreach(size 16 20 24 32 40 48 64 256)
  set(png ${CMAKE_CURRENT_BINARY_DIR}/icon/${size}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/icon
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --format png
            --output ${png} ${CMAKE_CURRENT_SOURCE_DIR}/data/nimbrel.svg
    DEPENDS data/nimbrel.svg
    VERBATIM)
  list(APPEND icon_pngs ${png})
endforeach()
# 256 pixels as PNG, as Windows keeps them; the small ones as bitmaps.
list(FILTER icon_pngs EXCLUDE REGEX "/256[.]png$")
add_custom_command(OUTPUT ${NIMBREL_ICO}
  COMMAND ${ICOTOOL} -c -o ${NIMBREL_ICO} ${icon_pngs} --raw=${CMAKE_CURRENT_BINARY_DIR}/icon/256.png
  DEPENDS ${icon_pngs} ${CMAKE_CURRENT_BINARY_DIR}/icon/256.png
  VERBATIM)
add_custom_target(windows_icon DEPENDS ${NIMBREL_ICO})

set(NIMBREL_VERSION4 ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0.0)
string(REPLACE "." "," NIMBREL_VERSION_COMMAS ${NIMBREL_VERSION4})
file(STRINGS LICENSE NIMBREL_COPYRIGHT REGEX "^Copyright" LIMIT_COUNT 1)
set(NIMBREL_MANIFEST ${CMAKE_CURRENT_BINARY_DIR}/nimbrel.manifest)
configure_file(data/windows/nimbrel.manifest ${NIMBREL_MANIFEST} @ONLY)
foreach(program nimbrel nimbrel_scr)
  if(program STREQUAL "nimbrel")
    set(NIMBREL_DESCRIPTION "nimbrel")
    set(NIMBREL_FILE "nimbrel.exe")
  else()
    set(NIMBREL_DESCRIPTION "nimbrel screensaver")
    set(NIMBREL_FILE "nimbrel.scr")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${program}.rc)
  configure_file(data/windows/nimbrel.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${NIMBREL_ICO};${NIMBREL_MANIFEST}")
  target_sources(${program} PRIVATE ${rc})
  add_dependencies(${program} windows_icon)
endforeach()
target_sources(nimbrel_scr PRIVATE src/os/windows/ScreenSaver.rc)

if(NIMBREL_TESTS)
  enable_testing()
  add_subdirectory(tests)
endif()

# The text files that travel with the programs, with Windows' line ends.
set(NIMBREL_TEXTS ${CMAKE_CURRENT_BINARY_DIR}/text/LICENSE.txt ${CMAKE_CURRENT_BINARY_DIR}/text/README.txt
    ${CMAKE_CURRENT_BINARY_DIR}/text/nimbrel.conf.example)
configure_file(LICENSE ${CMAKE_CURRENT_BINARY_DIR}/text/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(README.md ${CMAKE_CURRENT_BINARY_DIR}/text/README.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(data/nimbrel.conf.example ${CMAKE_CURRENT_BINARY_DIR}/text/nimbrel.conf.example @ONLY NEWLINE_STYLE CRLF)

# The installer, and a .zip of the two programs for installing by hand.
find_program(MAKENSIS makensis REQUIRED)
find_program(ZIP zip REQUIRED)
set(NIMBREL_SETUP ${CMAKE_CURRENT_BINARY_DIR}/nimbrel-${PROJECT_VERSION}-setup.exe)
add_custom_command(OUTPUT ${NIMBREL_SETUP}
  COMMAND ${MAKENSIS} -V2 -DBUILD=${CMAKE_CURRENT_BINARY_DIR} -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}
          -DVERSION=${PROJECT_VERSION} -DOUTFILE=${NIMBREL_SETUP} ${CMAKE_CURRENT_SOURCE_DIR}/data/windows/nimbrel.nsi
  DEPENDS nimbrel nimbrel_scr data/windows/nimbrel.nsi ${NIMBREL_TEXTS} ${NIMBREL_ICO}
  VERBATIM)
set(NIMBREL_ZIP ${CMAKE_CURRENT_BINARY_DIR}/nimbrel-${PROJECT_VERSION}-windows.zip)
add_custom_command(OUTPUT ${NIMBREL_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${NIMBREL_ZIP}
  COMMAND ${ZIP} -q -j ${NIMBREL_ZIP} $<TARGET_FILE:nimbrel> $<TARGET_FILE:nimbrel_scr> ${NIMBREL_TEXTS}
  DEPENDS nimbrel nimbrel_scr ${NIMBREL_TEXTS}
  VERBATIM)
add_custom_target(packages ALL DEPENDS ${NIMBREL_SETUP} ${NIMBREL_ZIP})
