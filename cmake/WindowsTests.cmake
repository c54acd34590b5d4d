# Test programs that run under Wine: the Win32 unit tests, the end-to-end
# driver, the pilot behind the run command, and the timed scenarios.
include(cmake/GTestSources.cmake)

# Platform tests of the program's own code.
add_executable(qv_win_tests
  tests/win/AboutDialogTest.cpp
  tests/win/AppearanceTest.cpp
  tests/win/BoxWatch.cpp
  tests/win/DialogTest.cpp
  tests/win/FoldTest.cpp
  tests/win/GroupStoreTest.cpp
  tests/win/HandlesTest.cpp
  tests/win/MessagesTest.cpp
  tests/win/ResourcesTest.cpp
  tests/win/ShellHelpersTest.cpp
  tests/win/Main.cpp
  tests/win/TempTree.cpp
  tests/win/win_tests.rc
)
target_include_directories(qv_win_tests PRIVATE tests/e2e)
target_compile_options(qv_win_tests PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_win_tests PRIVATE quorvel_app gtest version)
target_link_options(qv_win_tests PRIVATE ${QV_STATIC_LINK})
add_dependencies(qv_win_tests QUORVEL)

# Drives the real QUORVEL.EXE the way a person would.
# The popup's own layout arithmetic tells the driver where to point.
add_library(qv_driver STATIC tests/e2e/Driver.cpp tests/e2e/Png.cpp tests/e2e/CommonDialogs.cpp)
target_include_directories(qv_driver PUBLIC tests/e2e hook resources)
target_compile_options(qv_driver PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_driver PUBLIC quorvel_core psapi ole32 uuid gdi32 user32 kernel32)

# Stands in for a started program, and for the dial-up phone program.
add_executable(qv_mark WIN32 tests/e2e/Mark.cpp tests/e2e/utf8.rc)
target_compile_options(qv_mark PRIVATE ${QV_WARNINGS})
target_link_options(qv_mark PRIVATE ${QV_STATIC_LINK})

# Gives a launcher's process a work area under a bar at the top.
add_library(qv_topbar SHARED tests/e2e/TopBar.cpp)
set_target_properties(qv_topbar PROPERTIES PREFIX "" OUTPUT_NAME qv_topbar)
target_compile_options(qv_topbar PRIVATE ${QV_WARNINGS})
# Exported under plain names in both widths (no @4 on the 32-bit ones).
target_link_options(qv_topbar PRIVATE ${QV_STATIC_LINK} -Wl,--kill-at)
target_link_libraries(qv_topbar PRIVATE comctl32 gdi32)

add_executable(qv_e2e
  tests/e2e/StartupTest.cpp
  tests/e2e/HotZoneHookTest.cpp
  tests/e2e/PopupTest.cpp
  tests/e2e/OtherWidthTest.cpp
  tests/e2e/SetupTest.cpp
  tests/e2e/ShortcutsTest.cpp
  tests/e2e/FirstRunTest.cpp
  tests/e2e/AboutTest.cpp
  tests/e2e/InstallerTest.cpp
  tests/e2e/MonitorsTest.cpp
  tests/e2e/Main.cpp
  tests/e2e/utf8.rc
)
target_compile_options(qv_e2e PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_e2e PRIVATE qv_driver gtest)
target_link_options(qv_e2e PRIVATE ${QV_STATIC_LINK})
add_dependencies(qv_e2e QUORVEL QVLHOOK qv_mark qv_topbar)
set_source_files_properties(tests/e2e/utf8.rc PROPERTIES OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/tests/e2e/utf8.manifest")

add_executable(qv_pilot tests/e2e/Pilot.cpp)
target_compile_options(qv_pilot PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_pilot PRIVATE qv_driver)
target_link_options(qv_pilot PRIVATE ${QV_STATIC_LINK})

add_executable(qv_hook_latency tests/bench/HookLatency.cpp)
target_compile_options(qv_hook_latency PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_hook_latency PRIVATE qv_driver)
target_link_options(qv_hook_latency PRIVATE ${QV_STATIC_LINK})

# Show latency of the real launcher against the bare hook, and its memory
# over many show/hide cycles.
add_executable(qv_popup_bench tests/bench/PopupBench.cpp)
target_compile_options(qv_popup_bench PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_popup_bench PRIVATE qv_driver)
target_link_options(qv_popup_bench PRIVATE ${QV_STATIC_LINK})
add_dependencies(qv_popup_bench QUORVEL QVLHOOK)

# From a typed key until the results are painted, with many shortcuts and
# with few.
add_executable(qv_find_bench tests/bench/FindBench.cpp)
target_compile_options(qv_find_bench PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_find_bench PRIVATE qv_driver)
target_link_options(qv_find_bench PRIVATE ${QV_STATIC_LINK})
add_dependencies(qv_find_bench QUORVEL QVLHOOK)

# The launcher's start until the pointer reaches it, with many shortcuts,
# and its window's pauses during a Refresh, from another process.
add_executable(qv_startup_bench tests/bench/StartupBench.cpp tests/win/TempTree.cpp)
target_include_directories(qv_startup_bench PRIVATE tests/win win)
target_compile_options(qv_startup_bench PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_startup_bench PRIVATE qv_driver)
target_link_options(qv_startup_bench PRIVATE ${QV_STATIC_LINK})
add_dependencies(qv_startup_bench QUORVEL QVLHOOK)

# Loading the groups against a bare walk of the same folders.
add_executable(qv_load_groups_bench tests/bench/LoadGroupsBench.cpp tests/win/TempTree.cpp tests/bench/bench.rc)
target_include_directories(qv_load_groups_bench PRIVATE tests/win tests/e2e)
target_compile_options(qv_load_groups_bench PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_load_groups_bench PRIVATE quorvel_app)
target_link_options(qv_load_groups_bench PRIVATE ${QV_STATIC_LINK})

# What the launcher's own eye on the pointer costs: the real launcher against
# one built without it (its own copy of the watcher, switched off, comes
# before the library's).
add_executable(qv_launcher_nowatch WIN32 app/WinMain.cpp edge/EdgeWatcher.cpp resources/quorvel.rc)
target_compile_definitions(qv_launcher_nowatch PRIVATE QV_EDGE_WATCH_OFF)
target_compile_options(qv_launcher_nowatch PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_launcher_nowatch PRIVATE quorvel_app)
target_link_options(qv_launcher_nowatch PRIVATE ${QV_STATIC_LINK} -s)
add_executable(qv_edge_watch_bench tests/bench/EdgeWatchBench.cpp)
target_compile_options(qv_edge_watch_bench PRIVATE ${QV_WARNINGS})
target_link_libraries(qv_edge_watch_bench PRIVATE qv_driver)
target_link_options(qv_edge_watch_bench PRIVATE ${QV_STATIC_LINK})
add_dependencies(qv_edge_watch_bench QUORVEL QVLHOOK qv_mark qv_launcher_nowatch)
