# The file layer's own test for the Windows build (tests/common/FileSystem_test.cpp,
# also part of the Linux unit tests), run under Wine by .ci/windows.sh. The
# unit tests as a whole need a POSIX system; this one needs only GoogleTest,
# built here from its sources for the cross-build:
#   -DCOASTDOWN_GTEST_SOURCE=/usr/src/googletest   (Debian: googletest)
set(COASTDOWN_GTEST_SOURCE "" CACHE PATH "GoogleTest sources, to build the Windows file layer's test")
if(WIN32 AND COASTDOWN_GTEST_SOURCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${COASTDOWN_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest is not held to this program's warnings.
  target_compile_options(gtest PRIVATE -w)
  target_compile_options(gtest_main PRIVATE -w)

  add_executable(coastdown_file_layer_tests tests/common/FileSystem_test.cpp)
  target_link_libraries(coastdown_file_layer_tests PRIVATE coastdown_core gtest_main)
  target_link_options(coastdown_file_layer_tests PRIVATE -static)
endif()
