# Writes OUT, a C++ source defining xeqhost::web_asset over the files
# FILES (a ;-list of paths), each kept as a raw string literal.
set(body "")
foreach(file IN LISTS FILES)
  get_filename_component(name ${file} NAME)
  file(READ ${file} text)
  string(FIND "${text}" ")xeqweb\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${file} contains the literal's delimiter")
  endif()
  string(APPEND body "    if (name == \"${name}\") return R\"xeqweb(${text})xeqweb\";\n")
endforeach()
file(WRITE ${OUT}.tmp "// Generated from host/web by embed.cmake.\n#include \"web_assets.hpp\"\n\nnamespace xeqhost {\n\nstd::string_view web_asset(std::string_view name) {\n${body}    return {};\n}\n\n} // namespace xeqhost\n")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
