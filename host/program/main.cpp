// xeqhost: the stand-in host editor on the command line. It opens model
// files, loads plug-ins by path and calls their exports by name, as the
// editor would.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "commands.hpp"
#include "kpllib.h"
#include "plugin_loader.hpp"
#include "probe_table.hpp"

namespace {

const char* const kUsage =
    "usage: xeqhost [--prefs FILE] COMMAND [options]\n"
    "  convert --plugin SO --export NAME --old OLD.json --new NEW.json --out OUT.json\n"
    "      run a two-object converter on each node of NEW paired by name with OLD\n"
    "  convert --plugin SO --export NAME --model MODEL.json --out OUT.json\n"
    "      run a single-object converter on each node of MODEL\n"
    "  convert --form model-object --plugin SO --export NAME --model MODEL.json --out OUT.json\n"
    "      run a converter taking the model and an object (the PVC table conversion)\n"
    "      on each node of MODEL\n"
    "      (--type link|demand converts those objects instead of nodes)\n"
    "  call --plugin SO --export NAME [--model MODEL.json]\n"
    "      call an export taking no arguments (an initialiser), with MODEL current\n"
    "      (--text TEXT: an export taking one text, such as a probe model's name)\n"
    "  ipspace [--plugin NBX_SO] --model MODEL.json --address A.B.C.D\n"
    "  ipspace [--plugin NBX_SO] --model MODEL.json --network A.B.C.D/LEN (or --mask M)\n"
    "      which nodes and interfaces own an address, or every address in a network\n"
    "      (Find Node with the IP report in the analysis window; exit status 1 when\n"
    "      there is none)\n"
    "  reach [--plugin NBX_SO] --model MODEL.json --network A.B.C.D[/LEN]\n"
    "        [--lookup exact|aggregate] [--routes FILE]\n"
    "      which routers hold a route to a network: each router's longest match\n"
    "      (aggregate, the default) or the exact prefix; from MODEL's routing export\n"
    "      file \"<name>.atv.xml\" in the model directories or beside MODEL, or FILE\n"
    "      (Display Reachability in the analysis window; exit status 1 when no\n"
    "      router does). NBX_SO defaults to the plug-in named nbx\n"
    "  ui --model MODEL.json --plugin SO [--plugin SO...] [--script FILE]\n"
    "      a session with the model and the plug-ins: the host menu, dialogs,\n"
    "      prompts and choosers, driven by commands from FILE, from standard\n"
    "      input, or typed at a prompt on a terminal (help lists them)\n"
    "  serve MODEL.json [--plugin SO...] [--port N] [--address A.B.C.D]\n"
    "      the editor in a web browser: prints the address (with its session token)\n"
    "      to open; plug-ins default to nbx, the port to any free one, the address\n"
    "      to 127.0.0.1; SIGINT or SIGTERM stops it\n"
    "  draw MODEL.json OUT.svg       a picture of the model as the editor shows it\n"
    "  diff BEFORE.json AFTER.json   show what changed between two models\n"
    "  check MODEL.json              load a model and report it\n"
    "  probes PROBE_MODEL.prb        print a probe model's probes as a table\n"
    "--prefs FILE loads the host preferences (\"mod_dirs\", ...) and saves them on exit.\n"
    "A plug-in (SO) is a path, or a bare name such as nbx that is looked up in the\n"
    "folders of XEQHOST_PLUGIN_PATH (colon-separated), then in the build tree's\n"
    "plugins/ beside bin/ and in the installed plug-in folder, both next to xeqhost.\n";

xeqhost::Args parse(int argc, char** argv, int first) {
    xeqhost::Args args;
    for (int i = first; i < argc; ++i) {
        if (std::strncmp(argv[i], "--", 2) == 0) {
            if (i + 1 >= argc) throw xeqhost::HostError(std::string("option ") + argv[i] + " needs a value");
            args.options[argv[i] + 2] = argv[i + 1];
            args.all[argv[i] + 2].emplace_back(argv[i + 1]);
            ++i;
        } else {
            args.words.emplace_back(argv[i]);
        }
    }
    return args;
}

int dispatch(const std::string& command, const xeqhost::Args& args) {
    if (command == "convert") return xeqhost::run_convert(args);
    if (command == "diff") return xeqhost::run_diff(args);
    if (command == "check") return xeqhost::run_check(args);
    if (command == "call") return xeqhost::run_call(args);
    if (command == "ipspace") return xeqhost::run_ipspace(args);
    if (command == "reach") return xeqhost::run_reach(args);
    if (command == "ui") return xeqhost::run_ui(args);
    if (command == "draw") return xeqhost::run_draw(args);
    if (command == "serve") return xeqhost::run_serve(args);
    if (command == "probes" && args.words.size() == 1) return xeqhost::print_probe_table(args.words[0], std::cout);
    throw xeqhost::HostError("unknown command '" + command + "'");
}

} // namespace

int main(int argc, char** argv) {
    int first = 1;
    std::string prefs;
    if (argc > 2 && std::strcmp(argv[1], "--prefs") == 0) {
        prefs = argv[2];
        first = 3;
    }
    if (first >= argc || std::strcmp(argv[first], "--help") == 0) {
        std::fputs(kUsage, first >= argc ? stderr : stdout);
        return first >= argc ? 2 : 0;
    }
    try {
        if (!prefs.empty() && !kpl_env_load(prefs.c_str()))
            throw xeqhost::HostError("cannot read preferences file '" + prefs + "'");
        const int status = dispatch(argv[first], parse(argc, argv, first + 1));
        if (!prefs.empty() && !kpl_env_save(prefs.c_str()))
            throw xeqhost::HostError("cannot save preferences file '" + prefs + "'");
        return status;
    } catch (const xeqhost::HostError& e) {
        std::fprintf(stderr, "xeqhost: %s\n", e.what());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "xeqhost: %s\n", e.what());
        return 2;
    }
}
