# Helpers that give every deliverable its exact file name and link line.

# A host library: lib<name>.so, refusing undefined symbols so that a missing
# link dependency shows at build time rather than when a plug-in is loaded.
function(add_host_library name)
  add_library(${name} SHARED ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/host/include)
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
endfunction()

# A plug-in: <name>.i0.xeq.so in the plug-in directory, linking exactly the
# host libraries given after HOST (and anything after LIBS). --as-needed is
# off on purpose: the release markers are imported by reference. A test
# checks the built object: its host libraries are exactly HOST, every name
# after EXPORTS is exported unmangled, and nothing mangled is exported.
function(add_plugin name)
  cmake_parse_arguments(P "" "" "SOURCES;HOST;LIBS;EXPORTS" ${ARGN})
  add_library(${name} MODULE ${P_SOURCES})
  set_target_properties(${name} PROPERTIES
    PREFIX "" OUTPUT_NAME "${name}.i0.xeq" SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${PLUGIN_OUTPUT_DIRECTORY}
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/host/include)
  target_link_options(${name} PRIVATE -Wl,--no-undefined -Wl,--no-as-needed)
  target_link_libraries(${name} PRIVATE ${P_HOST} ${P_LIBS})
  string(REPLACE ";" "," host_list "${P_HOST}")
  string(REPLACE ";" "," export_list "${P_EXPORTS}")
  add_test(NAME plugin_linkage_${name}
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/check_plugin.sh $<TARGET_FILE:${name}>
            "${host_list}" "${export_list}")
endfunction()
