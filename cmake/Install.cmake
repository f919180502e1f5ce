# What `cmake --install` puts where (GNUInstallDirs), and the Debian package
# CPack makes of it. The test programs, the shots tools, qvr-bench and
# qvr-demo stay in the build tree.
include(GNUInstallDirs)

set(QVR_INSTALLED qvrctl)
if(TARGET qvr-sim)
  list(APPEND QVR_INSTALLED qvr-sim)
endif()
if(QVR_BUILD_DESKTOP)
  list(APPEND QVR_INSTALLED QVR4100MAConfigTool QVRConfigTool)
endif()
install(TARGETS ${QVR_INSTALLED} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

if(UNIX)
  if(QVR_BUILD_DESKTOP)
    foreach(program QVR4100MAConfigTool QVRConfigTool)
      install(FILES data/applications/${program}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
      install(FILES data/icons/${program}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    endforeach()
  endif()
  # Man pages installed compressed, as Debian keeps them.
  set(QVR_MAN_PAGES qvrctl.1)
  if(TARGET qvr-sim)
    list(APPEND QVR_MAN_PAGES qvr-sim.1)
  endif()
  set(QVR_MAN_GZ)
  foreach(page ${QVR_MAN_PAGES})
    set(gz ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${gz}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
      COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/doc/man/${page} > ${gz}
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/doc/man/${page}
      VERBATIM)
    list(APPEND QVR_MAN_GZ ${gz})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${QVR_MAN_GZ})
  install(FILES ${QVR_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES data/completion/qvrctl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

# cpack -G DEB in the build tree: one package with every program.
set(CPACK_PACKAGE_NAME "qvr-config-tool")
set(CPACK_PACKAGE_VENDOR "QVR Config Tool developers")
set(QVR_PACKAGE_MAINTAINER "QVR Config Tool developers <qvr-config-tool@localhost>"
    CACHE STRING "The Debian package's Maintainer field")
set(CPACK_PACKAGE_CONTACT "${QVR_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configuration tool for QVR family GNSS survey receivers")
set(CPACK_PACKAGE_DESCRIPTION
    "Finds a QVR4100 MA, QVR4100 MAX or QVR1500 LBX receiver on a serial port at\n"
    "whatever rate it runs, reads its identity and configuration, finds the UHF\n"
    "radio or GSM module on its AUX port and changes receiver, radio and GSM\n"
    "settings. Contains the desktop program QVR4100MAConfigTool, the handheld\n"
    "program QVRConfigTool, the command-line tool qvrctl and qvr-sim, a simulated\n"
    "receiver on a pseudo-terminal.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "/usr")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries' packages as dpkg-shlibdeps finds them (dpkg-dev).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window-system plugins Qt loads at run time, which no library links to:
# without them the two programs do not open a window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")
set(CPACK_GENERATOR "DEB")
include(CPack)
