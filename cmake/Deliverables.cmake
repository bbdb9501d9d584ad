# Helpers that give every deliverable its exact file name, link line and
# installed place.

# The installed layout: libgxr, a library for programs outside the project,
# in the system's library folder; the host libraries and the plug-ins, which
# only the host and the plug-ins load, in a folder of the project's own.
set(NBX_INSTALL_HOST_LIBDIR ${CMAKE_INSTALL_LIBDIR}/${PROJECT_NAME})
set(NBX_INSTALL_PLUGINDIR ${NBX_INSTALL_HOST_LIBDIR}/plugins)

# "a/b" as seen from "c/d", both relative to the prefix: "../../a/b".
function(install_relative_path out from to)
  file(RELATIVE_PATH path /${from} /${to})
  set(${out} "${path}" PARENT_SCOPE)
endfunction()

# Installs target into destination with a $ORIGIN-relative run path to the
# host libraries and libgxr, so that the installed tree needs no
# LD_LIBRARY_PATH wherever its prefix is (a staging folder, /usr).
function(install_deliverable target destination)
  set(run_path)
  foreach(library_dir ${NBX_INSTALL_HOST_LIBDIR} ${CMAKE_INSTALL_LIBDIR})
    install_relative_path(relative ${destination} ${library_dir})
    list(APPEND run_path "$ORIGIN/${relative}")
  endforeach()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "${run_path}")
  install(TARGETS ${target} ${ARGN} DESTINATION ${destination})
endfunction()

# A host library: lib<name>.so, refusing undefined symbols so that a missing
# link dependency shows at build time rather than when a plug-in is loaded.
function(add_host_library name)
  add_library(${name} SHARED ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/host/include)
  target_link_options(${name} PRIVATE -Wl,--no-undefined)
  install_deliverable(${name} ${NBX_INSTALL_HOST_LIBDIR})
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
  install_deliverable(${name} ${NBX_INSTALL_PLUGINDIR})
endfunction()
