# The native side: platform-free logic under the sanitizers, its unit tests
# and benchmarks; the two cross builds as sub-builds; and every test of the
# project registered with CTest, so one ctest run covers them all.
include(ExternalProject)
include(GoogleTest)
enable_testing()

if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo)
endif()

set(QV_WARNINGS -Wall -Wextra -Werror)
set(QV_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)

add_library(quorvel_core_checked STATIC ${QV_CORE_SOURCES})
target_include_directories(quorvel_core_checked PUBLIC ${QV_CORE_INCLUDES})
target_compile_options(quorvel_core_checked PUBLIC ${QV_WARNINGS} ${QV_SANITIZE} -O1 -g)
target_link_options(quorvel_core_checked PUBLIC ${QV_SANITIZE})

include(cmake/GTestSources.cmake)

add_executable(qv_unit_tests
  tests/unit/EdgePauseTest.cpp
  tests/unit/EdgeRuleTest.cpp
  tests/unit/FinderTest.cpp
  tests/unit/FontRecordTest.cpp
  tests/unit/HotKeyTest.cpp
  tests/unit/HotZoneTest.cpp
  tests/unit/IconQueueTest.cpp
  tests/unit/MessageTextTest.cpp
  tests/unit/NameOrderTest.cpp
  tests/unit/PathTextTest.cpp
  tests/unit/PopupLayoutTest.cpp
  tests/unit/QuietEdgeTest.cpp
  tests/unit/SessionRecordTest.cpp
  tests/unit/SetupRulesTest.cpp
)
target_link_libraries(qv_unit_tests PRIVATE quorvel_core_checked gtest_main)
gtest_discover_tests(qv_unit_tests TEST_PREFIX "unit." PROPERTIES LABELS unit)

# Benchmarks measure the optimised code, without the sanitizers.
find_package(benchmark REQUIRED)
add_library(quorvel_core_fast STATIC ${QV_CORE_SOURCES})
target_include_directories(quorvel_core_fast PUBLIC ${QV_CORE_INCLUDES})
target_compile_options(quorvel_core_fast PUBLIC ${QV_WARNINGS} -O2)
add_executable(qv_bench tests/bench/FinderBench.cpp tests/bench/HotZoneBench.cpp)
target_link_libraries(qv_bench PRIVATE quorvel_core_fast benchmark::benchmark)

# The Windows builds.
foreach(arch i686 x86_64)
  ExternalProject_Add(windows_${arch}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
      -DQV_WINDOWS_TESTS=ON
    BUILD_ALWAYS TRUE
    INSTALL_COMMAND ""
    USES_TERMINAL_BUILD TRUE
  )
endforeach()

set(QV_WIN32_DIR ${CMAKE_BINARY_DIR}/windows-i686)
set(QV_WIN64_DIR ${CMAKE_BINARY_DIR}/windows-x86_64)
set(QV_WINE_ROOT ${CMAKE_BINARY_DIR}/wine)
set(QV_OUTPUT_DIR ${CMAKE_BINARY_DIR}/output)
set(QV_WINE_TEST ${CMAKE_SOURCE_DIR}/tools/wine-test.sh ${QV_WINE_ROOT})

include(cmake/Installer.cmake)

add_test(NAME artifacts COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/check_binaries.py
  ${QV_WIN32_DIR} ${QV_WIN64_DIR} ${QV_SETUP})
add_test(NAME artwork COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/make_artwork.py --check)

# The Wine suites run once for each width, each with the driver of that
# width; a name says which width ran (windows.unit.x86, e2e.x64.Popup). One
# Wine session per suite; the tests of a suite clean up after themselves.
# Where this machine cannot run 32-bit programs, what needs them is skipped.
foreach(width x64 x86)
  if(width STREQUAL "x64")
    set(bin ${QV_WIN64_DIR})
    set(other ${QV_WIN32_DIR})
  else()
    set(bin ${QV_WIN32_DIR})
    set(other ${QV_WIN64_DIR})
  endif()
  set(env "QV_BIN_DIR=${bin};QV_OTHER_BIN_DIR=${other};QV_SETUP=${QV_SETUP};QV_SETUP_64=${QV_SETUP_64};QV_OUTPUT_DIR=${QV_OUTPUT_DIR}")

  add_test(NAME windows.unit.${width} COMMAND ${QV_WINE_TEST} ${bin}/qv_win_tests.exe)
  set_tests_properties(windows.unit.${width} PROPERTIES LABELS windows TIMEOUT 600 SKIP_RETURN_CODE 77
    ENVIRONMENT "${env}")

  foreach(suite Startup HotZoneHook Popup OtherWidth Setup Shortcuts FirstRun FirstRunJapanese About Installer)
    set(test e2e.${width}.${suite})
    add_test(NAME ${test} COMMAND ${QV_WINE_TEST} ${bin}/qv_e2e.exe --gtest_filter=${suite}.*)
    set_tests_properties(${test} PROPERTIES LABELS e2e TIMEOUT 900 SKIP_RETURN_CODE 77 ENVIRONMENT "${env}")
  endforeach()
  # One of the two widths is always 32-bit.
  set_tests_properties(e2e.${width}.OtherWidth PROPERTIES ENVIRONMENT "${env};QV_NEEDS_32BIT=1")
  # The hot edge and the popup at 150% as well.
  foreach(suite HotZoneHook Popup)
    set(test e2e.${width}.${suite}.144dpi)
    add_test(NAME ${test} COMMAND ${QV_WINE_TEST} ${bin}/qv_e2e.exe --gtest_filter=${suite}.*)
    set_tests_properties(${test} PROPERTIES LABELS e2e TIMEOUT 900 SKIP_RETURN_CODE 77
      ENVIRONMENT "${env};QV_LOG_PIXELS=144")
  endforeach()
  # A desktop of two monitors, one above the primary (no virtual desktop,
  # which always has one).
  set(test e2e.${width}.Monitors)
  add_test(NAME ${test} COMMAND ${QV_WINE_TEST} ${bin}/qv_e2e.exe --gtest_filter=Monitors.*)
  set_tests_properties(${test} PROPERTIES LABELS e2e TIMEOUT 900 SKIP_RETURN_CODE 77
    ENVIRONMENT "${env};QV_MONITORS=2")
  # Wine takes the ANSI code page from the locale: this one runs on 932.
  set_tests_properties(e2e.${width}.FirstRunJapanese PROPERTIES
    ENVIRONMENT "${env};LANG=ja_JP.UTF-8;LC_ALL=ja_JP.UTF-8")
endforeach()
