# The Windows build made on Linux: its programs run under Wine (the tests,
# their discovery at build time, the command-line comparison).
find_program(ZANVERO_WINE NAMES wine REQUIRED)
find_program(ZANVERO_WINESERVER NAMES wineserver REQUIRED)
# Without its preloader, Wine lets Linux place a new process's heap at random
# within a gigabyte that holds the address of Windows' shared user data; about
# one program start in several thousand then fails without a word ("failed to map
# the shared user data"), and so does a test now and then.
find_program(ZANVERO_WINE_PRELOADER NAMES wine64-preloader PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(ZANVERO_WINE_PRELOADER NAMES wine64-preloader)
if(NOT ZANVERO_WINE_PRELOADER)
  message(WARNING "Wine's preloader (Debian package wine64-preloader) is missing: "
    "about one Windows program start in several thousand under Wine will fail.")
endif()

# The mingw runtime DLLs that the programs and Qt load.
foreach(Dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${Dll}
    OUTPUT_VARIABLE DllPath OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${DllPath}" OR NOT EXISTS "${DllPath}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${Dll} is")
  endif()
  get_filename_component(DllPath "${DllPath}" REALPATH)
  get_filename_component(DllDir "${DllPath}" DIRECTORY)
  list(APPEND ZANVERO_WINDOWS_DLL_DIRS "${DllDir}")
endforeach()
list(PREPEND ZANVERO_WINDOWS_DLL_DIRS "${ZANVERO_WINDOWS_QT}/bin")
list(REMOVE_DUPLICATES ZANVERO_WINDOWS_DLL_DIRS)

# Wine takes Windows paths; drive Z: is the Linux root.
set(ZANVERO_WINEPATH "")
foreach(Dir ${ZANVERO_WINDOWS_DLL_DIRS})
  list(APPEND ZANVERO_WINEPATH "Z:${Dir}")
endforeach()
set(ZANVERO_WINEPREFIX "${CMAKE_BINARY_DIR}/wine")
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)
