# Run by CPack before each package: a release is made from an optimised build without
# sanitizers or fuzzing instrumentation, as the presets default, win32 and win64 build.
if(NOT CPACK_SLOPECRUSH_BUILD_TYPE STREQUAL "Release" OR CPACK_SLOPECRUSH_SANITIZE
   OR CPACK_SLOPECRUSH_FUZZ)
  message(FATAL_ERROR
    "this build is not one to release (build type '${CPACK_SLOPECRUSH_BUILD_TYPE}', sanitizers "
    "'${CPACK_SLOPECRUSH_SANITIZE}', fuzzing ${CPACK_SLOPECRUSH_FUZZ}); package the build of "
    "the preset default, win32 or win64 (scripts/package.sh does)")
endif()
