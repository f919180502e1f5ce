# The Windows command-line download: qvr-config-tool-VERSION-win64.zip with
# qvrctl.exe, qvr-bench.exe, README.txt and LICENSE.txt (both with CRLF line
# ends, for Notepad). Everything here belongs to the install component "cli";
# cmake/WindowsPackage.cmake makes one zip per component.
set(QVR_WINDOWS_CLI_DIR ${PROJECT_BINARY_DIR}/windows-cli)
configure_file(${PROJECT_SOURCE_DIR}/doc/windows/README.txt ${QVR_WINDOWS_CLI_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${QVR_WINDOWS_CLI_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS qvrctl qvr-bench RUNTIME DESTINATION . COMPONENT cli)
install(FILES ${QVR_WINDOWS_CLI_DIR}/README.txt ${QVR_WINDOWS_CLI_DIR}/LICENSE.txt DESTINATION . COMPONENT cli)

list(APPEND QVR_WINDOWS_ZIPS cli)
set(CPACK_ARCHIVE_CLI_FILE_NAME "qvr-config-tool-${PROJECT_VERSION}-win64")
set(CPACK_COMPONENT_CLI_DISPLAY_NAME "qvrctl and qvr-bench")
