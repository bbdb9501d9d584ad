# The routing data model, its export file writer and its reader.
list(APPEND NBX_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ra_net_data.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ra_xml_parser.cpp)
