# GoogleTest from the sources Debian ships, built with the current compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${QV_GOOGLETEST_DIR} googletest EXCLUDE_FROM_ALL)
