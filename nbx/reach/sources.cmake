# Reachability analysis: the prefix tree of every router's routes and the
# plug-in's client state for it.
list(APPEND NBX_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ra_bt_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_client_state.cpp)
list(APPEND NBX_EXPORTS ra_xeq_init ra_grt_copy_create ra_grt_destroy ra_grt_read ra_grt_write)
