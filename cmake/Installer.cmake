# QuorvelSetup.exe: one installer for both widths, made once both cross
# builds are done. It carries both programs and installs the system's own.

# makensis is a program of the build machine.
find_program(QV_MAKENSIS makensis)
if(NOT QV_MAKENSIS)
  message(FATAL_ERROR "makensis was not found. It builds QuorvelSetup.exe; "
                      "install NSIS 3 (Debian package nsis, as tools/deps.sh does).")
endif()
execute_process(COMMAND ${QV_MAKENSIS} -VERSION OUTPUT_VARIABLE QV_NSIS_VERSION
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT QV_NSIS_VERSION MATCHES "^v?3\\.")
  message(FATAL_ERROR "${QV_MAKENSIS} is NSIS '${QV_NSIS_VERSION}'; QuorvelSetup.exe needs NSIS 3.")
endif()

# Windows wants four numbers in a version resource.
string(REPLACE "." ";" QV_VERSION_PARTS "${PROJECT_VERSION}.0.0.0")
list(SUBLIST QV_VERSION_PARTS 0 4 QV_VERSION_PARTS)
string(REPLACE ";" "." QV_VERSION_QUAD "${QV_VERSION_PARTS}")

# The cross builds' files are not known to this build, so the installer is
# made anew on every build; makensis takes a few seconds.
set(QV_SETUP ${CMAKE_BINARY_DIR}/QuorvelSetup.exe)
# The same installer with a 64-bit stub: not shipped, it lets a build machine
# whose Wine runs no 32-bit programs install and test all the same.
set(QV_SETUP_64 ${CMAKE_BINARY_DIR}/QuorvelSetup-amd64.exe)
set(QV_NSIS_DEFINES
  -DQV_VERSION=${PROJECT_VERSION}
  -DQV_VERSION_QUAD=${QV_VERSION_QUAD}
  -DQV_LAUNCHER32=${QV_WIN32_DIR}/QUORVEL.EXE
  -DQV_HOOK32=${QV_WIN32_DIR}/QVLHOOK.DLL
  -DQV_LAUNCHER64=${QV_WIN64_DIR}/QUORVEL.EXE
  -DQV_HOOK64=${QV_WIN64_DIR}/QVLHOOK.DLL
  -DQV_COMPANION32=${QV_WIN32_DIR}/QVLHOOK32.EXE
  -DQV_COMPANION_HOOK32=${QV_WIN32_DIR}/QVLHOOK32.DLL
  -DQV_MANUAL=${QV_WIN32_DIR}/MANUAL.TXT
  -DQV_ICON=${CMAKE_SOURCE_DIR}/resources/quorvel.ico)
add_custom_target(QUORVEL_SETUP ALL
  COMMAND ${QV_MAKENSIS} -V2 -WX ${QV_NSIS_DEFINES} -DQV_OUTFILE=${QV_SETUP}
          ${CMAKE_SOURCE_DIR}/installer/quorvel.nsi
  COMMAND ${QV_MAKENSIS} -V2 -WX ${QV_NSIS_DEFINES} -DQV_STUB=amd64-unicode -DQV_OUTFILE=${QV_SETUP_64}
          ${CMAKE_SOURCE_DIR}/installer/quorvel.nsi
  BYPRODUCTS ${QV_SETUP} ${QV_SETUP_64}
  COMMENT "Building QuorvelSetup.exe"
  VERBATIM)
add_dependencies(QUORVEL_SETUP windows_i686 windows_x86_64)
