# Run by CPack's External generator on a Windows build: wixl packs the staged installation (the
# files the zip holds) into <CPACK_PACKAGE_FILE_NAME>.msi with the WiX source that
# cmake/WindowsInstaller.cmake configured.
foreach(tool wixl msiinfo msibuild)
  string(TOUPPER ${tool} name)
  find_program(${name} ${tool})
  if(NOT ${name})
    message(FATAL_ERROR "${tool} is missing (Debian packages wixl and msitools); "
                        "scripts/install-deps.sh --all installs it")
  endif()
endforeach()

set(msi ${CPACK_TOPLEVEL_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi)
# wixl and msibuild write the package in place: a failed run must not leave one behind.
file(REMOVE ${msi})
function(fail what)
  file(REMOVE ${msi})
  message(FATAL_ERROR "${msi}: ${what}")
endfunction()

# The WiX source names its files relative to the folder wixl runs in.
execute_process(
  COMMAND ${WIXL} --arch ${CPACK_SLOPECRUSH_MSI_ARCH} -D Version=${CPACK_PACKAGE_VERSION}
          -o ${msi} ${CPACK_SLOPECRUSH_MSI_SOURCE}
  WORKING_DIRECTORY ${CPACK_TEMPORARY_DIRECTORY}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  fail("wixl could not make it from ${CPACK_SLOPECRUSH_MSI_SOURCE}")
endif()

# A folder chosen on the command line reaches the elevated part of an installation started
# without elevation only as a secure property; wixl has no Secure attribute, so the package's
# list of them gets VST2DIR here.
execute_process(COMMAND ${MSIINFO} export ${msi} Property
                OUTPUT_VARIABLE properties RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT properties MATCHES "\nSecureCustomProperties\t([^\r\n]*)")
  fail("msiinfo finds no SecureCustomProperties in it")
endif()
execute_process(
  COMMAND ${MSIBUILD} ${msi} -q "UPDATE `Property` SET `Value` = 'VST2DIR;${CMAKE_MATCH_1}' \
WHERE `Property` = 'SecureCustomProperties'"
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  fail("msibuild could not make VST2DIR a secure property")
endif()
set(CPACK_EXTERNAL_BUILT_PACKAGES ${msi})
