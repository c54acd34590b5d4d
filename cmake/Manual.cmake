# The manual next to the program.
#
# Included by the cross build. Run as a script
# (cmake -DQV_SOURCE=... -DQV_TARGET=... -P Manual.cmake) it writes the
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
