// Where xeqhost finds a plug-in named without a folder.
#pragma once

#include <string>
#include <vector>

namespace xeqhost {

// The folders searched for a plug-in given by bare name, in order: those of
// XEQHOST_PLUGIN_PATH (colon-separated), the build tree's plugins/ beside
// bin/, and the installed plug-in folder; the last two relative to the
// running program, so that a moved or packaged tree still finds its own.
std::vector<std::string> plugin_directories();

// A value of --plugin as a path to load. One with a "/" is a path and stays
// as given; a bare name ("nbx" or "nbx.i0.xeq.so") is the first such file in
// plugin_directories(), or stays as given when there is none, so that the
// loader's message names what the user typed.
std::string plugin_path(const std::string& name_or_path);

} // namespace xeqhost
