# preview_bench: the collection page's preview of a 6000 x 4000 JPEG under
# Wine (time to the painted preview, peak memory). Run preview_bench.sh.
if(WIN32)
  add_executable(preview_bench ${CMAKE_CURRENT_LIST_DIR}/preview_bench.cpp)
  target_link_libraries(preview_bench PRIVATE plochar_pages psapi)
  target_link_options(preview_bench PRIVATE -municode)
  plochar_warnings(preview_bench)
endif()
