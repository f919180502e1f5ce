# What `cmake --install` puts where (GNUInstallDirs), and the Debian package
# CPack makes of it. The test programs, the shots tools, qvr-bench and
# qvr-demo stay in the build tree.
include(GNUInstallDirs)

# Who packages this build: the Debian package's Maintainer field and the
# signature of its changelog. The packager sets a real address
# (-DQVR_PACKAGE_MAINTAINER="Name <address>"); lintian flags the default one.
set(QVR_PACKAGE_MAINTAINER "QVR Config Tool developers <qvr-config-tool@localhost>"
    CACHE STRING "The Debian package's Maintainer field")

# The release: the top entry of the Debian changelog gives its date, and its
# version must be the project's (a new version needs its changelog entry).
file(STRINGS data/debian/changelog.in QVR_CHANGELOG_HEAD LIMIT_COUNT 1)
string(REGEX MATCH "^qvr-config-tool \\(([^)]+)\\)" QVR_CHANGELOG_HEAD "${QVR_CHANGELOG_HEAD}")
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "data/debian/changelog.in begins with version '${CMAKE_MATCH_1}', "
                      "the project is ${PROJECT_VERSION}: add the release's entry")
endif()
file(STRINGS data/debian/changelog.in QVR_CHANGELOG_DATE REGEX "^ -- " LIMIT_COUNT 1)
if(NOT QVR_CHANGELOG_DATE MATCHES "  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "data/debian/changelog.in: no date in its first entry's trailer line")
endif()
set(QVR_MONTHS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(FIND QVR_MONTHS ${CMAKE_MATCH_2} QVR_MONTH)
if(QVR_MONTH LESS 0)
  message(FATAL_ERROR "data/debian/changelog.in: no month ${CMAKE_MATCH_2} in its first entry's date")
endif()
math(EXPR QVR_MONTH "${QVR_MONTH} + 1" OUTPUT_FORMAT DECIMAL)
if(QVR_MONTH LESS 10)
  set(QVR_MONTH "0${QVR_MONTH}")
endif()
set(QVR_RELEASE_DATE "${CMAKE_MATCH_3}-${QVR_MONTH}-${CMAKE_MATCH_1}")

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
  # Man pages, the Debian changelog: version and date filled in, installed
  # compressed as Debian keeps them.
  set(QVR_MAN_PAGES qvrctl.1)
  if(TARGET qvr-sim)
    list(APPEND QVR_MAN_PAGES qvr-sim.1)
  endif()
  if(QVR_BUILD_DESKTOP)
    list(APPEND QVR_MAN_PAGES QVR4100MAConfigTool.1 QVRConfigTool.1)
  endif()
  set(QVR_MAN_GZ)
  foreach(page ${QVR_MAN_PAGES})
    configure_file(doc/man/${page} ${CMAKE_CURRENT_BINARY_DIR}/man/${page} @ONLY)
    list(APPEND QVR_MAN_GZ ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
  endforeach()
  configure_file(data/debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog @ONLY)
  set(QVR_CHANGELOG_GZ ${CMAKE_CURRENT_BINARY_DIR}/debian/changelog.gz)
  set(QVR_GZ)
  foreach(gz ${QVR_MAN_GZ} ${QVR_CHANGELOG_GZ})
    string(REGEX REPLACE "\\.gz$" "" plain ${gz})
    add_custom_command(OUTPUT ${gz}
      COMMAND gzip -9n -c ${plain} > ${gz}
      DEPENDS ${plain}
      VERBATIM)
    list(APPEND QVR_GZ ${gz})
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${QVR_GZ})
  install(FILES ${QVR_MAN_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  # The package's documentation folder: the changelog (a native package's
  # name for it) and the license in Debian's machine-readable form.
  set(QVR_PACKAGE_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/qvr-config-tool)
  install(FILES ${QVR_CHANGELOG_GZ} data/debian/copyright DESTINATION ${QVR_PACKAGE_DOCDIR})
  if(QVR_BUILD_DESKTOP)
    # The software centres' descriptions of the two programs (AppStream).
    foreach(program QVR4100MAConfigTool QVRConfigTool)
      set(metainfo qvr.configtool.${program}.metainfo.xml)
      configure_file(data/metainfo/${metainfo}.in ${CMAKE_CURRENT_BINARY_DIR}/metainfo/${metainfo} @ONLY)
      install(FILES ${CMAKE_CURRENT_BINARY_DIR}/metainfo/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    endforeach()
  endif()
  install(FILES data/completion/qvrctl DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
endif()

# cpack -G DEB in the build tree: one package with every program.
set(CPACK_PACKAGE_NAME "qvr-config-tool")
set(CPACK_PACKAGE_VENDOR "The QVR Config Tool developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
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
