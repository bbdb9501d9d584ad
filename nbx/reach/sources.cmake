# Reachability analysis: the prefix tree of every router's routes, the
# plug-in's client state for it, the reachability answer for the current
# model with its marks, the path display and IGP trace, the analysis window
# with its preferences, Display Reachability with its report, the node
# search and the IP report.
list(APPEND NBX_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ra_bt_tree.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_client_state.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_reach.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_path.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_csv.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_gui.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_display.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_reach_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_ip_report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_find_node.cpp)
list(APPEND NBX_EXPORTS ra_xeq_init ra_grt_copy_create ra_grt_destroy ra_grt_read ra_grt_write
  ra_load_find_dbox ra_find_default_handler ra_node_default_handler ra_configure_default_handler
  ra_ospf_default_handler ra_popup_dbox_selector_handler ra_conf_save_btn_handler
  ra_dummy_ok_callback
  ra_shortcut_path_click_handler ra_shortcut_popup_menu_proc
  ra_find_display_btn_handler ra_find_clear_btn_handler
  ra_reach_report_default_handler ra_reach_report_table_display_handler
  ra_reach_report_export_btn_handler ra_reach_report_export_open_handler
  ra_reach_report_export_close_handler ra_reach_report_export_data
  ra_load_ip_report_dbox ra_ip_report_default_handler ra_ip_report_table_display_handler
  ra_ip_report_table_decoration_handler ra_ip_report_export_btn_handler
  ra_ip_report_export_open_handler ra_ip_report_export_close_handler ra_ip_report_export_data
  ra_address_display_handler)
