# QUORVEL.EXE, QVLHOOK.DLL and the test programs that run under Wine.
enable_language(RC)
option(QV_WINDOWS_TESTS "Build the Win32 test programs" OFF)

set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE Release)
endif()

set(QV_WARNINGS -Wall -Wextra -Werror)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_SOURCE_DIR}/resources")

# The hook library is mapped into every process that handles mouse input:
# no C runtime, no exceptions, nothing but kernel32 and user32. Loops stay
# loops: the compiler would otherwise call memcpy, which nothing provides.
add_library(QVLHOOK SHARED hook/QVLHook.cpp hook/QVLHOOK.def resources/qvlhook.rc)
target_include_directories(QVLHOOK PUBLIC hook)
target_compile_options(QVLHOOK PRIVATE ${QV_WARNINGS} -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables -fno-toplevel-reorder -fno-tree-loop-distribute-patterns)
target_link_options(QVLHOOK PRIVATE -nostdlib -nostartfiles -s)
target_link_libraries(QVLHOOK PRIVATE kernel32 user32)
set_target_properties(QVLHOOK PROPERTIES PREFIX "" OUTPUT_NAME QVLHOOK SUFFIX ".DLL"
  IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a")

add_library(quorvel_core STATIC ${QV_CORE_SOURCES})
target_include_directories(quorvel_core PUBLIC ${QV_CORE_INCLUDES})
target_compile_options(quorvel_core PRIVATE ${QV_WARNINGS})

# Everything of the program but its entry point, so tests can link it too.
add_library(quorvel_app STATIC
  app/Appearance.cpp
  app/Companion.cpp
  app/FirstRun.cpp
  app/HookThread.cpp
  app/LauncherApp.cpp
  app/LauncherDialog.cpp
  app/TrayIcon.cpp
  delay/EdgeWait.cpp
  edge/EdgeWatcher.cpp
  find/FindPanel.cpp
  find/Fold.cpp
  hotkey/GlobalHotKey.cpp
  popup/GroupLoader.cpp
  popup/GroupStore.cpp
  popup/IconStore.cpp
  popup/Popup.cpp
  popup/ShortcutList.cpp
  quiet/QuietDialog.cpp
  quiet/QuietWindows.cpp
  shell/AboutDialog.cpp
  shell/Messages.cpp
  shell/ShellHelpers.cpp
  setup/NameDialog.cpp
  setup/SetupAppearance.cpp
  setup/SetupDialog.cpp
  setup/SetupShortcuts.cpp
  setup/ShortcutWizard.cpp
  win/Dialog.cpp
  win/Text.cpp
)
target_include_directories(quorvel_app PUBLIC app popup setup shell win resources edge find hotkey pause quiet delay)
target_compile_options(quorvel_app PRIVATE ${QV_WARNINGS})
target_link_libraries(quorvel_app PUBLIC quorvel_core QVLHOOK
  comctl32 comdlg32 shell32 ole32 uuid winmm wtsapi32 normaliz gdi32 user32 advapi32 kernel32)

set(QV_STATIC_LINK -static -static-libgcc -static-libstdc++)

add_executable(QUORVEL WIN32 app/WinMain.cpp resources/quorvel.rc)
target_compile_options(QUORVEL PRIVATE ${QV_WARNINGS})
target_link_libraries(QUORVEL PRIVATE quorvel_app)
target_link_options(QUORVEL PRIVATE ${QV_STATIC_LINK} -s)
set_target_properties(QUORVEL PROPERTIES OUTPUT_NAME QUORVEL SUFFIX ".EXE")
# The manual next to the program.
include(cmake/Manual.cmake)

set_source_files_properties(resources/quorvel.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_SOURCE_DIR}/resources/resource.h;${CMAKE_SOURCE_DIR}/resources/version.rc;${CMAKE_SOURCE_DIR}/resources/about.rc;${CMAKE_SOURCE_DIR}/resources/quorvel.manifest;${CMAKE_SOURCE_DIR}/resources/quorvel.ico;${CMAKE_SOURCE_DIR}/resources/shortcut.ico;${CMAKE_SOURCE_DIR}/resources/banner.bmp;${CMAKE_SOURCE_DIR}/resources/wizard.bmp;${CMAKE_SOURCE_DIR}/resources/chime.wav")

if(QV_WINDOWS_TESTS)
  include(cmake/WindowsTests.cmake)
endif()

# The companion of a 64-bit launcher: a 32-bit program cannot load the 64-bit
# hook library, so QVLHOOK32.EXE installs the hook of a 32-bit copy of it,
# QVLHOOK32.DLL, for them. The copy has a name of its own: its session record
# is named by its path. Built by the 32-bit build only.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  # The hook library's exports under the copy's own name.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/hook/QVLHOOK.def)
  file(READ ${CMAKE_SOURCE_DIR}/hook/QVLHOOK.def QV_HOOK_DEF)
  string(REGEX REPLACE "LIBRARY[ \t]+QVLHOOK\\.DLL" "LIBRARY QVLHOOK32.DLL" QV_HOOK32_DEF "${QV_HOOK_DEF}")
  if(QV_HOOK32_DEF STREQUAL QV_HOOK_DEF)
    message(FATAL_ERROR "hook/QVLHOOK.def names no LIBRARY QVLHOOK.DLL to rename for QVLHOOK32.DLL")
  endif()
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/QVLHOOK32.def CONTENT "${QV_HOOK32_DEF}" @ONLY)

  # The same sources, options and link as QVLHOOK.DLL.
  get_target_property(QV_HOOK_COMPILE_OPTIONS QVLHOOK COMPILE_OPTIONS)
  get_target_property(QV_HOOK_LINK_OPTIONS QVLHOOK LINK_OPTIONS)
  add_library(qvlhook32 SHARED hook/QVLHook.cpp ${CMAKE_BINARY_DIR}/QVLHOOK32.def companion/qvlhook32.rc)
  target_include_directories(qvlhook32 PUBLIC hook)
  target_compile_options(qvlhook32 PRIVATE ${QV_HOOK_COMPILE_OPTIONS})
  target_link_options(qvlhook32 PRIVATE ${QV_HOOK_LINK_OPTIONS})
  target_link_libraries(qvlhook32 PRIVATE kernel32 user32)
  set_target_properties(qvlhook32 PROPERTIES PREFIX "" OUTPUT_NAME QVLHOOK32 SUFFIX ".DLL"
    IMPORT_PREFIX "lib" IMPORT_SUFFIX ".dll.a")

  add_executable(qvlhook32_companion WIN32 companion/HookCompanion.cpp companion/companion.rc)
  target_include_directories(qvlhook32_companion PRIVATE win)
  target_compile_options(qvlhook32_companion PRIVATE ${QV_WARNINGS})
  target_link_libraries(qvlhook32_companion PRIVATE qvlhook32 user32 kernel32)
  target_link_options(qvlhook32_companion PRIVATE ${QV_STATIC_LINK} -s)
  set_target_properties(qvlhook32_companion PROPERTIES OUTPUT_NAME QVLHOOK32 SUFFIX ".EXE")
  set_source_files_properties(companion/companion.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/companion/companion.manifest;${CMAKE_SOURCE_DIR}/resources/version.rc")
endif()
