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
  tests/unit/FontRecordTest.cpp
  tests/unit/HotZoneTest.cpp
  tests/unit/MessageTextTest.cpp
  tests/unit/NameOrderTest.cpp
  tests/unit/PathTextTest.cpp
  tests/unit/PopupLayoutTest.cpp
  tests/unit/SetupRulesTest.cpp
)
target_link_libraries(qv_unit_tests PRIVATE quorvel_core_checked gtest_main)
gtest_discover_tests(qv_unit_tests TEST_PREFIX "unit." PROPERTIES LABELS unit)

# Benchmarks measure the optimised code, without the sanitizers.
find_package(benchmark REQUIRED)
add_library(quorvel_core_fast STATIC ${QV_CORE_SOURCES})
target_include_directories(quorvel_core_fast PUBLIC ${QV_CORE_INCLUDES})
target_compile_options(quorvel_core_fast PUBLIC ${QV_WARNINGS} -O2)
add_executable(qv_bench tests/bench/HotZoneBench.cpp)
target_link_libraries(qv_bench PRIVATE quorvel_core_fast benchmark::benchmark)

# The Windows builds.
foreach(arch i686 x86_64)
  if(arch STREQUAL "x86_64")
    set(windows_tests ON)
  else()
    set(windows_tests OFF)
  endif()
  ExternalProject_Add(windows_${arch}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${arch}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${arch}.cmake
      -DQV_WINDOWS_TESTS=${windows_tests}
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

add_test(NAME artifacts COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/check_binaries.py ${QV_WIN32_DIR} ${QV_WIN64_DIR})
add_test(NAME artwork COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/make_artwork.py --check)

add_test(NAME windows.unit COMMAND ${QV_WINE_TEST} ${QV_WIN64_DIR}/qv_win_tests.exe)
set_tests_properties(windows.unit PROPERTIES LABELS windows TIMEOUT 600
  ENVIRONMENT "QV_BIN_DIR=${QV_WIN64_DIR}")

# One Wine session per suite; the tests of a suite clean up after themselves.
foreach(suite Startup HotZoneHook Popup Setup Shortcuts FirstRun About Installer)
  add_test(NAME e2e.${suite} COMMAND ${QV_WINE_TEST} ${QV_WIN64_DIR}/qv_e2e.exe --gtest_filter=${suite}.*)
  set_tests_properties(e2e.${suite} PROPERTIES LABELS e2e TIMEOUT 900
    ENVIRONMENT "QV_BIN_DIR=${QV_WIN64_DIR};QV_OUTPUT_DIR=${QV_OUTPUT_DIR}")
endforeach()
