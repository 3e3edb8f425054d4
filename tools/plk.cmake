# plochar-plk: writes a sample collection file and dumps collection files,
# so that files made on one system can be checked on the other.
add_executable(plochar-plk ${CMAKE_CURRENT_SOURCE_DIR}/plochar_plk.cpp)
target_link_libraries(plochar-plk PRIVATE plochar_core)
plochar_warnings(plochar-plk)
if(WIN32)
  target_link_options(plochar-plk PRIVATE -municode)
endif()
