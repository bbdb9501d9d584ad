# add_fuzz_target(NAME SOURCES files... LIBS targets... REGRESSIONS dir
#                 SCRIPT script [SCRIPT_ARGS args...])
#   NAME_replay: the target's sources with fuzz_replay_main.cpp, built by the
#   project's compiler (with the build's sanitizers); the test
#   NAME_regressions feeds it every input kept in REGRESSIONS.
#   NAME_smoke: runs SCRIPT SECONDS WORK_DIR SCRIPT_ARGS for 5 seconds, where
#   clang++ is installed and the build has no sanitizers of its own.
find_program(NBX_CLANGXX clang++)

function(add_fuzz_target name)
  cmake_parse_arguments(F "" "REGRESSIONS;SCRIPT" "SOURCES;LIBS;SCRIPT_ARGS" ${ARGN})
  add_executable(${name}_replay ${F_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/fuzz_replay_main.cpp)
  target_link_libraries(${name}_replay PRIVATE ${F_LIBS})
  add_test(NAME ${name}_regressions COMMAND ${name}_replay ${F_REGRESSIONS})
  if(NBX_CLANGXX AND NOT NBX_SANITIZE)
    add_test(NAME ${name}_smoke COMMAND ${F_SCRIPT} 5 ${CMAKE_BINARY_DIR}/fuzz/${name} ${F_SCRIPT_ARGS})
    set_tests_properties(${name}_smoke PROPERTIES TIMEOUT 900)
  endif()
endfunction()
