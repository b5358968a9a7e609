# The Windows programs with what they need beside them: the Qt DLLs and plugins
# and the mingw-w64 runtime, all installed into bin/. CPack makes the NSIS
# installer and the portable zip from this tree.
set_target_properties(ostrel PROPERTIES WIN32_EXECUTABLE ON)   # no console window

set(_ostrel_qt ${OSTREL_SHARED_DIR}/qt6-mingw)
foreach(module Core Gui Widgets Network SerialPort)
  install(FILES ${_ostrel_qt}/bin/Qt6${module}.dll DESTINATION bin)
endforeach()
install(FILES ${_ostrel_qt}/plugins/platforms/qwindows.dll DESTINATION bin/platforms)
install(FILES ${_ostrel_qt}/plugins/styles/qwindowsvistastyle.dll DESTINATION bin/styles)

# The compiler's own runtime DLLs, where this compiler keeps them.
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE _ostrel_dll OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${_ostrel_dll}" OR NOT EXISTS "${_ostrel_dll}")
    find_file(_ostrel_dll_${dll} ${dll} PATHS /usr/x86_64-w64-mingw32/lib NO_CMAKE_FIND_ROOT_PATH REQUIRED)
    set(_ostrel_dll ${_ostrel_dll_${dll}})
  endif()
  install(FILES ${_ostrel_dll} DESTINATION bin)
endforeach()

set(CPACK_GENERATOR NSIS ZIP)
# A 64-bit installer for 64-bit programs: it runs without WOW64, so it sees the real
# Program Files folder and writes the 64-bit view of the registry.
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS [=[-XTarget\\ amd64-unicode]=])   # CPack splits its command line at blanks
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_FILE_NAME ostrel-${PROJECT_VERSION}-windows-x64)
# The installer, for its test (CPack's own variables change when it writes its source set-up).
set(OSTREL_WINDOWS_INSTALLER ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.exe)
set(CPACK_PACKAGE_EXECUTABLES ostrel "KOV Ostrel")   # the Start-menu entry
set(CPACK_NSIS_DISPLAY_NAME "KOV Ostrel")
set(CPACK_NSIS_PACKAGE_NAME "KOV Ostrel ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\ostrel.exe")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The installer's own key (Software\Brenvik\<key>, and the uninstall entry) must not be
# the editor's settings key "KOV-Ostrel": the uninstaller deletes that key in the hive
# it installed to, which is the user's own hive when installed without administrator rights.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY "KOV Ostrel")
set(CPACK_NSIS_MUI_FINISHPAGE_RUN "bin\\\\ostrel.exe")
# "Installed size" in the system's list of programs: the size of the files installed, in KiB.
# (Escaped once more: CPack writes the value into a quoted CMake string.)
string(REPLACE @KEY@ ${CPACK_PACKAGE_INSTALL_REGISTRY_KEY} CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  SectionGetSize 0 $0
  WriteRegDWORD SHCTX \"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\@KEY@\" \"EstimatedSize\" $0
]=])
