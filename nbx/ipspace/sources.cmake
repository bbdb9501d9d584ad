# The network IP space: binary prefix tree, IP space tree, service.
list(APPEND NBX_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/pool.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bt_tree.cpp)
