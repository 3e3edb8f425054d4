# drop_bench: a dropped tree of 10,000 small pictures added through the real
# collection page under Wine, and the same adding on the collection alone.
if(WIN32)
  add_executable(drop_bench WIN32 ${CMAKE_CURRENT_LIST_DIR}/drop_bench.cpp ${PLOCHAR_RESOURCES})
  target_link_libraries(drop_bench PRIVATE plochar_shell shlwapi)
  target_include_directories(drop_bench PRIVATE ${PROJECT_SOURCE_DIR}/resources ${PROJECT_SOURCE_DIR}/tests)
  target_link_options(drop_bench PRIVATE -municode)
  plochar_warnings(drop_bench)
endif()
