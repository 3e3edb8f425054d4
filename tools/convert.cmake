# plochar-convert: runs the picture pipeline's operations on files from the
# command line (used by the benchmarks and for trying pictures by hand).
add_executable(plochar-convert ${CMAKE_CURRENT_LIST_DIR}/plochar_convert.cpp)
target_link_libraries(plochar-convert PRIVATE plochar_core)
plochar_warnings(plochar-convert)
