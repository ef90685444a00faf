# Toolchain file of the Windows cross build (preset "windows"): Qt for
# x86_64-w64-mingw32 from the cache folder that scripts/setup-windows fills,
# chained to the mingw-w64 toolchain. Qt's own toolchain file is the one
# that makes find_package(Qt6) look inside that Qt; the host tools (moc,
# rcc, uic) come from the Linux Qt of the same version.
if(DEFINED ENV{ZANVERO_WINDOWS_QT})
  set(ZANVERO_WINDOWS_QT "$ENV{ZANVERO_WINDOWS_QT}")
elseif(DEFINED ENV{ZANVERO_CACHE})
  set(ZANVERO_WINDOWS_QT "$ENV{ZANVERO_CACHE}/qt6-base-6.4.2-x86_64-w64-mingw32")
else()
  set(ZANVERO_WINDOWS_QT /var/cache/zanvero/qt6-base-6.4.2-x86_64-w64-mingw32)
endif()
if(NOT EXISTS "${ZANVERO_WINDOWS_QT}/lib/cmake/Qt6/qt.toolchain.cmake")
  message(FATAL_ERROR "No Qt for Windows in ${ZANVERO_WINDOWS_QT}: run scripts/setup-windows first")
endif()

set(QT_CHAINLOAD_TOOLCHAIN_FILE "${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake")
set(QT_HOST_PATH /usr CACHE PATH "Qt's host tools")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "CMake packages of Qt's host tools")
include("${ZANVERO_WINDOWS_QT}/lib/cmake/Qt6/qt.toolchain.cmake")
