# The documents every installation carries, and the release packages CPack makes from the
# installation: a zip and an installer (.msi) for each Windows build, and on Linux a tarball and a
# Debian package.
# scripts/package.sh makes them all; the framework kit (its own component, installed only on
# request) is in none of them.

set(SLOPECRUSH_PACKAGE_CONTACT "${SLOPECRUSH_VENDOR} <slopecrush@tervik.example>" CACHE STRING
    "Maintainer of the Debian package, as Name <address>")
set(SLOPECRUSH_HELP_URL "https://tervik.example/slopecrush" CACHE STRING
    "Help link the Windows installers show in the list of installed apps")

install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${SLOPECRUSH_INSTALL_DOCDIR})

if(NOT WIN32)
  # Debian's copyright file, made from LICENSE so the two always say the same: the holder from
  # its copyright line, the text below it indented, blank lines as " .".
  file(READ ${PROJECT_SOURCE_DIR}/LICENSE licence)
  if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n+(.+)$")
    message(FATAL_ERROR "LICENSE has no line 'Copyright (c) <year> <holder>' before its text")
  endif()
  set(SLOPECRUSH_COPYRIGHT "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" text)
  string(REGEX REPLACE "\n\n" "\n.\n" text "${text}")
  string(REPLACE "\n" "\n " text "${text}")
  set(SLOPECRUSH_LICENCE_TEXT " ${text}")
  configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)

  # The changelog's newest entry is the project's version, or the build stops here.
  file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog.in newest LIMIT_COUNT 1)
  string(REPLACE "." "\\." version_pattern "${PROJECT_VERSION}")
  if(NOT newest MATCHES "^slopecrush \\(${version_pattern}\\) ")
    message(FATAL_ERROR "packaging/changelog.in: the newest entry is not for version "
                        "${PROJECT_VERSION}; add one")
  endif()
  # Compressed as Debian wants it: gzip -9n, no name or time inside.
  configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${CMAKE_BINARY_DIR}/changelog @ONLY)
  find_program(GZIP gzip REQUIRED)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/changelog.gz
    COMMAND ${GZIP} -9nkf ${CMAKE_BINARY_DIR}/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/changelog
    COMMENT "Compressing the changelog"
    VERBATIM)
  add_custom_target(slopecrush-changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/changelog.gz)

  install(FILES ${CMAKE_BINARY_DIR}/copyright ${CMAKE_BINARY_DIR}/changelog.gz
          DESTINATION ${SLOPECRUSH_INSTALL_DOCDIR})
endif()

set(CPACK_PACKAGE_NAME slopecrush)
set(CPACK_PACKAGE_VENDOR "${SLOPECRUSH_VENDOR}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${SLOPECRUSH_DESCRIPTION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)
# Every package is made from a release build; the check runs in CPack, where the build is known.
set(CPACK_SLOPECRUSH_BUILD_TYPE "${CMAKE_BUILD_TYPE}")
set(CPACK_SLOPECRUSH_SANITIZE "${SLOPECRUSH_SANITIZE}")
set(CPACK_SLOPECRUSH_FUZZ "${SLOPECRUSH_FUZZ}")
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/packaging/release-build.cmake)

if(WIN32)
  # The plug-ins at the top of the zip, beside the README and the licence.
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(arch x64)
  else()
    set(arch x86)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME slopecrush-${PROJECT_VERSION}-windows-${arch})
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  include(${PROJECT_SOURCE_DIR}/cmake/WindowsInstaller.cmake)
else()
  # The tarball holds the installation under one folder named like the file.
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_PACKAGE_FILE_NAME slopecrush-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR})

  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${SLOPECRUSH_PACKAGE_CONTACT}")
  set(CPACK_DEBIAN_PACKAGE_SECTION sound)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # CPack puts the summary above this text.
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
SlopeCrush folds a stereo track to mono and re-records it through a 1-bit
delta-modulation channel, the way old game consoles played back samples: a
counter that can only step up or down by 1/32 of full scale follows the
signal at one of sixteen fixed rates from 4181.71 Hz to 33143.9 Hz. Low rates
give gritty, aliased, pitched-down crunch; high rates a bright, buzzy grain.
Two controls: the drive into the converter and its rate.

This package holds the plug-in for VST 2.4 hosts (/usr/lib/vst), for LV2
hosts (/usr/lib/lv2) and for CLAP hosts (/usr/lib/clap), and
slopecrush-render, which renders audio files through it from the command
line.]])
endif()

include(CPack)
