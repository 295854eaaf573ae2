# The global-list window's operations, for scripts/bench-browse (Linux figures).
add_executable(verdan_browse_bench ${CMAKE_CURRENT_LIST_DIR}/browse_bench.cpp)
target_link_libraries(verdan_browse_bench PRIVATE verdan_browse)
