# cpack (`cmake --build --preset windows --target package`) in a Windows
# build tree: one zip per install component listed in QVR_WINDOWS_ZIPS. A
# download is added by a cmake/ file of its own, included before this one,
# that installs its files into its own component, appends the component to
# QVR_WINDOWS_ZIPS and names its zip (CPACK_ARCHIVE_<COMPONENT>_FILE_NAME).
# Install rules of other projects built here (GoogleTest) belong to no listed
# component and stay out of every zip.
set(CPACK_PACKAGE_NAME "qvr-config-tool")
set(CPACK_PACKAGE_VENDOR "The QVR Config Tool developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for QVR family GNSS survey receivers")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_GENERATOR "ZIP")
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${QVR_WINDOWS_ZIPS})
# Each zip unpacks into a folder of its own name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
