# fit_bench: a 6000 x 4000 camera JPEG fitted to 1920 x 1080 as a BMP, whole
# processes: plochar-convert against ImageMagick's -sample and -resize.
if(NOT WIN32)
  add_executable(fit_bench ${CMAKE_CURRENT_LIST_DIR}/fit_bench.cpp)
  target_compile_definitions(fit_bench PRIVATE PLOCHAR_CONVERT_TOOL="$<TARGET_FILE:plochar-convert>")
  add_dependencies(fit_bench plochar-convert)
  plochar_warnings(fit_bench)
endif()
