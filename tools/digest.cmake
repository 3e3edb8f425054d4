# jpeg-digest: one line per file and decoder path with the outcome and a hash
# of the rows, to show that a change to the decoder left its output alone.
add_executable(jpeg-digest ${CMAKE_CURRENT_LIST_DIR}/jpeg_digest.cpp)
target_link_libraries(jpeg-digest PRIVATE plochar_core)
plochar_warnings(jpeg-digest)
