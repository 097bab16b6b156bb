# A Debian package of an installation made by the rules in GlyphmillInstall.cmake:
#   cmake --build BUILD && cpack --config BUILD/CPackConfig.cmake -G DEB -B OUTPUT
# scripts/package.sh does this in a Release build. Other systems' packages are not made here.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
    return()
endif()

set(GLYPHMILL_MAINTAINER "The Glyphmill developers <glyphmill@example.org>"
    CACHE STRING "Maintainer written into the Debian package")

# Debian wants the licence as a machine-readable copyright file beside the LICENSE itself.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE glyphmill_license)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" _ "${glyphmill_license}")
set(glyphmill_copyright_holder "${CMAKE_MATCH_1}")
string(REGEX REPLACE "^MIT License\n+Copyright[^\n]*\n+" "" glyphmill_license_text
       "${glyphmill_license}")
string(STRIP "${glyphmill_license_text}" glyphmill_license_text)
# Continuation lines of a field start with a blank; an empty line becomes " .".
string(REGEX REPLACE "\n\n" "\n.\n" glyphmill_license_text "${glyphmill_license_text}")
string(REPLACE "\n" "\n " glyphmill_license_text "${glyphmill_license_text}")
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/debian/copyright CONTENT
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Glyphmill

Files: *
Copyright: ${glyphmill_copyright_holder}
License: Expat
 ${glyphmill_license_text}
")
install(FILES ${CMAKE_BINARY_DIR}/generated/debian/copyright DESTINATION ${GLYPHMILL_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME glyphmill)
set(CPACK_PACKAGE_VENDOR "The Glyphmill developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "picture converter for Atari Jaguar graphics, with a desktop front-end")
set(CPACK_PACKAGE_DESCRIPTION
"rastix turns ordinary pictures (BMP, GIF, JPEG, PNG, PPM, XPM, TIFF, TGA,
WebP) into graphics data for the Atari Jaguar console: RGB16 or CRY16 true
colour, or a pixel map with a colour look-up table, written as assembly source
or as binary. It can cut, turn and reduce pictures and convert many at once.
.
Glyphmill is its desktop front-end: browse and preview pictures, choose the
output options, watch the converter's command line being built, and run it on
the selected files.")
set(CPACK_PACKAGE_CONTACT "${GLYPHMILL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${GLYPHMILL_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads the TIFF, TGA and WebP readers as plug-ins, which no library dependency reveals.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-image-formats-plugins)
if(GLYPHMILL_INSTALLS_RASTIX_SHOW)
    # What rastix-show runs: the emulator, the assembler and CMake for the display cartridge.
    set(CPACK_DEBIAN_PACKAGE_SUGGESTS "virtualjaguar, binutils-m68k-linux-gnu, cmake")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
include(CPack)
