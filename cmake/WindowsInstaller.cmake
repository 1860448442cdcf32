# The Windows Installer package (.msi) beside the zip: CPack stages the installation as for the
# zip and packaging/windows-installer.cmake runs wixl (msitools) on the WiX source configured
# here from packaging/windows-installer.wxs.in. The result is
# <CPACK_PACKAGE_FILE_NAME>.msi, the zip's name with its own extension.
#
# Included by cmake/Packaging.cmake on Windows builds, after it has set arch (x64 or x86) and
# CPACK_PACKAGE_FILE_NAME, and before include(CPack).

# Fixed for ever, one per architecture: Windows Installer finds the installed version to
# replace by it. Each component's GUID is derived from it and the component's name, so it stays
# the same from one version to the next and differs between the two packages, which a user may
# install side by side.
if(arch STREQUAL x64)
  set(SLOPECRUSH_MSI_UPGRADE_CODE D6F770E7-12AB-4D03-87A8-64B6E0E49A56)
  set(SLOPECRUSH_MSI_WIN64 yes)
  set(SLOPECRUSH_MSI_COMMON_FILES CommonFiles64Folder)
  set(SLOPECRUSH_MSI_NAME "${SLOPECRUSH_NAME}")
else()
  set(SLOPECRUSH_MSI_UPGRADE_CODE 0F33A1FD-6191-4D4B-9490-3E66BF333F49)
  set(SLOPECRUSH_MSI_WIN64 no)
  set(SLOPECRUSH_MSI_COMMON_FILES CommonFilesFolder)
  # Told apart from the 64-bit package in the list of installed apps.
  set(SLOPECRUSH_MSI_NAME "${SLOPECRUSH_NAME} (32-bit)")
endif()
foreach(component Vst2Module Licence Vst2Dir ClapModule)
  string(UUID SLOPECRUSH_MSI_GUID_${component} NAMESPACE ${SLOPECRUSH_MSI_UPGRADE_CODE}
         NAME ${component} TYPE SHA1 UPPER)
endforeach()

if(TARGET SlopeCrushClap)
  set(SLOPECRUSH_MSI_CLAP yes)
  set(SLOPECRUSH_MSI_CLAP_MODULE "$<TARGET_FILE_NAME:SlopeCrushClap>")
else()
  set(SLOPECRUSH_MSI_CLAP no)
  set(SLOPECRUSH_MSI_CLAP_MODULE "")
endif()
# The licence sits in the shared VST folder, so it carries the product's name.
set(SLOPECRUSH_MSI_LICENCE "${SLOPECRUSH_NAME}-LICENSE.txt")
# Where the chosen VST folder is kept (HKLM, in the package's own registry view).
set(SLOPECRUSH_MSI_REGISTRY_KEY "Software\\${SLOPECRUSH_VENDOR}\\${SLOPECRUSH_NAME}")
set(SLOPECRUSH_MSI_DOWNGRADE_MESSAGE
    "A newer version of ${SLOPECRUSH_MSI_NAME} is already installed. To install this older one, \
remove ${SLOPECRUSH_MSI_NAME} first (Settings, Apps), then run this installer again.")

# The @names@ first, then the module file names, which only the generate step knows.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows-installer.wxs.in
               ${CMAKE_BINARY_DIR}/packaging/windows-installer.wxs.genex @ONLY)
file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/packaging/windows-installer.wxs
     INPUT ${CMAKE_BINARY_DIR}/packaging/windows-installer.wxs.genex)

list(APPEND CPACK_GENERATOR External)
set(CPACK_EXTERNAL_ENABLE_STAGING ON)
# The installation as the zip has it, in one folder: without this the External generator stages
# each component apart, the framework kit included.
set(CPACK_MONOLITHIC_INSTALL ON)
set(CPACK_EXTERNAL_REQUESTED_VERSIONS "1.0")
set(CPACK_EXTERNAL_PACKAGE_SCRIPT ${PROJECT_SOURCE_DIR}/packaging/windows-installer.cmake)
set(CPACK_SLOPECRUSH_MSI_SOURCE ${CMAKE_BINARY_DIR}/packaging/windows-installer.wxs)
set(CPACK_SLOPECRUSH_MSI_ARCH ${arch})
