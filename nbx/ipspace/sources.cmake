# The network IP space: binary prefix tree, IP space tree, service.
list(APPEND NBX_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/pool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bt_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ip_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/xeq_util.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gip_service.cpp)
list(APPEND NBX_EXPORTS nbx_ed_xeq_init nbx_gip_copy_create nbx_gip_destroy
  nbx_gip_read nbx_gip_write nbx_gip_get_data_by_address nbx_gip_get_data_by_network
  nbx_gip_insert_address nbx_gip_remove_address)
