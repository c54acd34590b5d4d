# The manual next to the program, and QuorvelSetup.exe for this width.
#
# Included by the cross build after the QUORVEL target. Run as a script
# (cmake -DQV_SOURCE=... -DQV_TARGET=... -P Installer.cmake) it writes the
# manual: checked to stay plain ASCII of at most 76 columns, and with CRLF
# line endings so that Windows Notepad shows its lines.

if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${QV_SOURCE}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  # Lines one by one; a bracket in the text would end a CMake list element
  # early, so split by position, not with a list.
  set(line_number 0)
  set(rest "${text}")
  while(NOT rest STREQUAL "")
    math(EXPR line_number "${line_number} + 1")
    string(FIND "${rest}" "\n" end)
    if(end EQUAL -1)
      set(line "${rest}")
      set(rest "")
    else()
      string(SUBSTRING "${rest}" 0 ${end} line)
      math(EXPR next "${end} + 1")
      string(SUBSTRING "${rest}" ${next} -1 rest)
    endif()
    string(LENGTH "${line}" width)
    if(width GREATER 76)
      message(FATAL_ERROR "${QV_SOURCE}:${line_number}: ${width} columns, at most 76 fit")
    endif()
    if(NOT line MATCHES "^[ -~]*$")
      message(FATAL_ERROR "${QV_SOURCE}:${line_number}: only printable ASCII and blanks")
    endif()
  endwhile()
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${QV_TARGET}" "${text}")
  return()
endif()

set(QV_MANUAL_SOURCE ${CMAKE_SOURCE_DIR}/doc/MANUAL.TXT)
set(QV_MANUAL ${CMAKE_BINARY_DIR}/MANUAL.TXT)
add_custom_command(OUTPUT ${QV_MANUAL}
  COMMAND ${CMAKE_COMMAND} -DQV_SOURCE=${QV_MANUAL_SOURCE} -DQV_TARGET=${QV_MANUAL}
          -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${QV_MANUAL_SOURCE} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Writing MANUAL.TXT"
  VERBATIM)
add_custom_target(QUORVEL_MANUAL ALL DEPENDS ${QV_MANUAL})

# makensis is a program of the build machine, not of the MinGW sysroot.
find_program(QV_MAKENSIS makensis NO_CMAKE_FIND_ROOT_PATH)
if(NOT QV_MAKENSIS)
  message(FATAL_ERROR "makensis was not found. It builds QuorvelSetup.exe; "
                      "install NSIS 3 (Debian package nsis, as tools/deps.sh does).")
endif()
execute_process(COMMAND ${QV_MAKENSIS} -VERSION OUTPUT_VARIABLE QV_NSIS_VERSION
                OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT QV_NSIS_VERSION MATCHES "^v?3\\.")
  message(FATAL_ERROR "${QV_MAKENSIS} is NSIS '${QV_NSIS_VERSION}'; QuorvelSetup.exe needs NSIS 3.")
endif()

# The installer's stub has the program's width, so the 64-bit one can refuse
# a 32-bit Windows by itself and installs where a 64-bit program belongs.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QV_NSIS_TARGET amd64-unicode)
else()
  set(QV_NSIS_TARGET x86-unicode)
endif()

# Windows wants four numbers in a version resource.
string(REPLACE "." ";" QV_VERSION_PARTS "${PROJECT_VERSION}.0.0.0")
list(SUBLIST QV_VERSION_PARTS 0 4 QV_VERSION_PARTS)
string(REPLACE ";" "." QV_VERSION_QUAD "${QV_VERSION_PARTS}")

set(QV_SETUP ${CMAKE_BINARY_DIR}/QuorvelSetup.exe)
set(QV_SETUP_SCRIPT ${CMAKE_SOURCE_DIR}/installer/quorvel.nsi)
set(QV_SETUP_ICON ${CMAKE_SOURCE_DIR}/resources/quorvel.ico)
add_custom_command(OUTPUT ${QV_SETUP}
  COMMAND ${QV_MAKENSIS} -V2 -WX
          -DQV_TARGET=${QV_NSIS_TARGET}
          -DQV_VERSION=${PROJECT_VERSION}
          -DQV_VERSION_QUAD=${QV_VERSION_QUAD}
          -DQV_LAUNCHER=$<TARGET_FILE:QUORVEL>
          -DQV_HOOK=$<TARGET_FILE:QVLHOOK>
          -DQV_MANUAL=${QV_MANUAL}
          -DQV_ICON=${QV_SETUP_ICON}
          -DQV_OUTFILE=${QV_SETUP}
          ${QV_SETUP_SCRIPT}
  DEPENDS ${QV_SETUP_SCRIPT} ${QV_SETUP_ICON} ${QV_MANUAL} QUORVEL QVLHOOK
  COMMENT "Building QuorvelSetup.exe (${QV_NSIS_TARGET})"
  VERBATIM)
add_custom_target(QUORVEL_SETUP ALL DEPENDS ${QV_SETUP})
