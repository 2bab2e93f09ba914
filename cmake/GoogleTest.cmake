# GoogleTest, built with the build's compiler from its sources (Debian's googletest package by default),
# for the tests under Wine and for the native sanitizer build.
set(GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources, built with the build's compiler")
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
