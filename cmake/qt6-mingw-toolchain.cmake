# Cross-compiles the desktop and handheld programs for 64-bit Windows with
# MinGW-w64 and the Qt 6 kit for MinGW (qt6-mingw-6.4.2.tar.xz, a dependency
# kept outside the project, in shared/qt6-mingw/ beside the repository). The
# kit is unpacked into the build folder on the first configure; its
# toolchain file then chain-loads this project's MinGW toolchain. Host tools
# (moc, rcc, uic) come from the system's Qt 6 (QT_HOST_PATH).
#
# QVR_QT6_MINGW_ARCHIVE (cache or environment) names the archive when it is
# not in ../shared/qt6-mingw/ or ../../shared/qt6-mingw/ of the sources.
set(QVR_QT6_MINGW_DIR "${CMAKE_BINARY_DIR}/qt6-mingw" CACHE PATH "The unpacked Qt 6 kit for MinGW")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QVR_QT6_MINGW_DIR)

if(NOT EXISTS "${QVR_QT6_MINGW_DIR}/lib/cmake/Qt6/qt.toolchain.cmake")
  set(_qvr_archive "${QVR_QT6_MINGW_ARCHIVE}")
  if(NOT _qvr_archive)
    set(_qvr_archive "$ENV{QVR_QT6_MINGW_ARCHIVE}")
  endif()
  if(NOT _qvr_archive)
    foreach(_qvr_shared "${CMAKE_SOURCE_DIR}/../shared" "${CMAKE_SOURCE_DIR}/../../shared")
      if(EXISTS "${_qvr_shared}/qt6-mingw/qt6-mingw-6.4.2.tar.xz")
        set(_qvr_archive "${_qvr_shared}/qt6-mingw/qt6-mingw-6.4.2.tar.xz")
        break()
      endif()
    endforeach()
  endif()
  if(NOT EXISTS "${_qvr_archive}")
    message(FATAL_ERROR "The Qt 6 kit for MinGW (qt6-mingw-6.4.2.tar.xz) was not found in ../shared/qt6-mingw/;"
                        " set QVR_QT6_MINGW_ARCHIVE to its path")
  endif()
  get_filename_component(_qvr_parent "${QVR_QT6_MINGW_DIR}" DIRECTORY)
  file(MAKE_DIRECTORY "${_qvr_parent}/qt6-mingw-unpack")
  message(STATUS "Unpacking ${_qvr_archive}")
  file(ARCHIVE_EXTRACT INPUT "${_qvr_archive}" DESTINATION "${_qvr_parent}/qt6-mingw-unpack")
  file(RENAME "${_qvr_parent}/qt6-mingw-unpack/qt6-mingw" "${QVR_QT6_MINGW_DIR}")
  file(REMOVE_RECURSE "${_qvr_parent}/qt6-mingw-unpack")
endif()

set(QT_CHAINLOAD_TOOLCHAIN_FILE "${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake" CACHE FILEPATH "")
set(QT_HOST_PATH "/usr" CACHE PATH "")
set(QT_HOST_PATH_CMAKE_DIR "/usr/lib/${CMAKE_HOST_SYSTEM_PROCESSOR}-linux-gnu/cmake" CACHE PATH "")
include("${QVR_QT6_MINGW_DIR}/lib/cmake/Qt6/qt.toolchain.cmake")

# The Qt DLLs use the MinGW runtime DLLs (libstdc++-6, libgcc_s_seh-1,
# libwinpthread-1), which ship beside the programs: the programs use the same
# ones rather than a static copy of their own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "")
