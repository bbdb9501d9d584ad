// The host program's commands; each returns the process exit status.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace xeqhost {

// Parsed "--name value" options and the remaining words.
struct Args {
    std::map<std::string, std::string> options;          // the last value of each
    std::map<std::string, std::vector<std::string>> all; // every value, in order
    std::vector<std::string> words;

    // Throws HostError when a required option is missing.
    const std::string& required(const std::string& name) const;
    std::string optional(const std::string& name) const;
};

int run_convert(const Args& args);
int run_diff(const Args& args);
int run_check(const Args& args);
int run_call(const Args& args);
// Exit status 0 when entries were found, 1 when none.
int run_ipspace(const Args& args);
int run_reach(const Args& args);
// The interactive or scripted session; 1 when a command of a script failed.
int run_ui(const Args& args);
// A picture (SVG) of a saved model.
int run_draw(const Args& args);
// The browser face over a model (web_server.cpp).
int run_serve(const Args& args);

} // namespace xeqhost
