# The XML reading framework: SAX1 event forwarding to a stack of states,
# entity escaping, file existence and modification time.
list(APPEND NBX_SOURCES ${CMAKE_CURRENT_LIST_DIR}/nbx_xml.cpp)
