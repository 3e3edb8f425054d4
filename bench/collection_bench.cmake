# collection_bench: a collection of 30,000 pictures opened, sorted and
# cancelled through the real configuration window under Wine.
if(WIN32)
  add_executable(collection_bench WIN32 ${CMAKE_CURRENT_LIST_DIR}/collection_bench.cpp ${PLOCHAR_RESOURCES})
  target_link_libraries(collection_bench PRIVATE plochar_shell)
  target_include_directories(collection_bench PRIVATE ${PROJECT_SOURCE_DIR}/resources)
  target_link_options(collection_bench PRIVATE -municode)
  plochar_warnings(collection_bench)
endif()
