# image_bench: colour reduction, scaling and background estimate against
# ImageMagick, on pictures made at run time (nothing large is kept).
if(NOT WIN32)
  add_executable(image_bench ${CMAKE_CURRENT_LIST_DIR}/image_bench.cpp)
  target_link_libraries(image_bench PRIVATE plochar_core)
  target_compile_definitions(image_bench PRIVATE PLOCHAR_CONVERT_TOOL="$<TARGET_FILE:plochar-convert>")
  add_dependencies(image_bench plochar-convert)
  plochar_warnings(image_bench)
endif()
