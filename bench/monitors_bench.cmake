# monitors_bench: a 6000 x 4000 photo fitted to two monitors side by side and
# composed into one bitmap, against ImageMagick doing the same two fits.
if(NOT WIN32)
  add_executable(monitors_bench ${CMAKE_CURRENT_LIST_DIR}/monitors_bench.cpp)
  target_link_libraries(monitors_bench PRIVATE plochar_core)
  plochar_warnings(monitors_bench)
endif()
