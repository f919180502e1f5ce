# The Windows build of the desktop and handheld programs (preset
# windows-gui): the Qt DLLs, the platform and style plugins and the MinGW
# runtime DLLs beside the programs, laid out as windeployqt would
#
#   QVR4100MAConfigTool.exe  Qt6Core.dll  Qt6Gui.dll  Qt6Widgets.dll
#   libstdc++-6.dll  libgcc_s_seh-1.dll  libwinpthread-1.dll
#   platforms/qwindows.dll   styles/qwindowsvistastyle.dll
#
# in the build tree's bin/ folder (so the programs and the Qt Tests run from
# there under Wine) and in one zip per program (cpack -G ZIP), which starts
# on a Windows machine with nothing installed.
find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(_qvr_qtcore_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT _qvr_qtcore_dll)
  get_target_property(_qvr_qtcore_dll Qt6::Core IMPORTED_LOCATION)
endif()
get_filename_component(QVR_QT_BIN_DIR "${_qvr_qtcore_dll}" DIRECTORY)
get_filename_component(QVR_QT_PLUGIN_DIR "${QVR_QT_BIN_DIR}/../plugins" ABSOLUTE)

set(QVR_QT_DLLS Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll)
set(QVR_QT_PLUGINS platforms/qwindows.dll styles/qwindowsvistastyle.dll)
set(QVR_MINGW_RUNTIME_DLLS)
foreach(_qvr_dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${_qvr_dll}
                  OUTPUT_VARIABLE _qvr_path OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(_qvr_path "${_qvr_path}" ABSOLUTE)
  if(NOT EXISTS "${_qvr_path}")
    message(FATAL_ERROR "The MinGW runtime ${_qvr_dll} was not found beside ${CMAKE_CXX_COMPILER}")
  endif()
  list(APPEND QVR_MINGW_RUNTIME_DLLS "${_qvr_path}")
endforeach()

# The build tree: everything the programs and the Qt Tests load, beside them.
if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
  set(_qvr_bin "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  foreach(_qvr_dll ${QVR_QT_DLLS} Qt6Test.dll)
    file(COPY "${QVR_QT_BIN_DIR}/${_qvr_dll}" DESTINATION "${_qvr_bin}")
  endforeach()
  file(COPY ${QVR_MINGW_RUNTIME_DLLS} DESTINATION "${_qvr_bin}")
  foreach(_qvr_plugin ${QVR_QT_PLUGINS} platforms/qoffscreen.dll)
    get_filename_component(_qvr_folder "${_qvr_plugin}" DIRECTORY)
    file(COPY "${QVR_QT_PLUGIN_DIR}/${_qvr_plugin}" DESTINATION "${_qvr_bin}/${_qvr_folder}")
  endforeach()
endif()

# What the windows-gui build preset builds: the two programs and their Qt
# Tests, not the command-line tools and suites the windows preset covers.
get_property(_qvr_qt_tests GLOBAL PROPERTY QVR_QT_TESTS)
add_custom_target(qvr_windows_gui ALL)
add_dependencies(qvr_windows_gui QVR4100MAConfigTool QVRConfigTool ${_qvr_qt_tests})

# One install component, and one zip, per program.
foreach(_qvr_program QVR4100MAConfigTool QVRConfigTool)
  install(TARGETS ${_qvr_program} RUNTIME DESTINATION . COMPONENT ${_qvr_program})
  foreach(_qvr_dll ${QVR_QT_DLLS})
    install(FILES "${QVR_QT_BIN_DIR}/${_qvr_dll}" DESTINATION . COMPONENT ${_qvr_program})
  endforeach()
  install(FILES ${QVR_MINGW_RUNTIME_DLLS} DESTINATION . COMPONENT ${_qvr_program})
  foreach(_qvr_plugin ${QVR_QT_PLUGINS})
    get_filename_component(_qvr_folder "${_qvr_plugin}" DIRECTORY)
    install(FILES "${QVR_QT_PLUGIN_DIR}/${_qvr_plugin}" DESTINATION ${_qvr_folder} COMPONENT ${_qvr_program})
  endforeach()
  # Without their debugging sections: a third of the size.
  install(CODE "
    file(GLOB_RECURSE _qvr_binaries \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.exe\")
    foreach(_qvr_binary \${_qvr_binaries})
      execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug \"\${_qvr_binary}\" COMMAND_ERROR_IS_FATAL ANY)
    endforeach()" COMPONENT ${_qvr_program})
endforeach()

# Zipped by cmake/WindowsPackage.cmake, one zip per program:
# QVR4100MAConfigTool-0.1.0-win64.zip, unpacking into a folder of that name.
list(APPEND QVR_WINDOWS_ZIPS QVR4100MAConfigTool QVRConfigTool)
set(CPACK_ARCHIVE_QVR4100MACONFIGTOOL_FILE_NAME "QVR4100MAConfigTool-${PROJECT_VERSION}-win64")
set(CPACK_ARCHIVE_QVRCONFIGTOOL_FILE_NAME "QVRConfigTool-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
