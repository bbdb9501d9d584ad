// A user's session in the stand-in host: one model, its plug-ins, and the
// acts of the user read as command lines, from a script or a terminal.
// The same loop serves `xeqhost ui`, the tests and the demo.
#pragma once

#include <istream>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "xeqed.h"

namespace xeqhost {

class PluginSet;
class ModelDirectoryInUse;

class Session {
public:
    struct Options {
        std::string model;                // model file to open
        std::vector<std::string> plugins; // plug-in objects, loaded in order
    };

    // Loads the plug-ins (calling each one's initialiser) and opens the
    // model, made current, its directory one of the model directories.
    // Throws HostError when either fails.
    explicit Session(const Options& options);
    // Closes every dialog, then the model, then unloads the plug-ins.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Reads and carries out commands from in until it ends, writing what
    // the user sees to out; a terminal gets a prompt and line editing when
    // interactive is set. Returns the exit status: 0, or 1 when a command
    // failed or the input ended while a prompt or chooser still waited.
    int run(std::istream& in, std::ostream& out, bool interactive = false);

    XeqT_Model_Handle model() const { return model_; }

private:
    class Loop;
    std::unique_ptr<PluginSet> plugins_;
    std::unique_ptr<ModelDirectoryInUse> model_directory_;
    XeqT_Model_Handle model_ = nullptr;
};

// Runs script (command lines) in a fresh session and returns what it
// printed; status receives the exit status. For tests.
std::string run_session(const Session::Options& options, const std::string& script, int* status);

} // namespace xeqhost
