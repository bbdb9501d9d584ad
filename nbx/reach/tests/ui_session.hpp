// What the tests of the analysis need to act as a user: a model (and its
// routing export file) in a scratch directory, sessions of the xeqhost ui
// loop on it with the built plug-in, and the transcript of what they
// printed, command by command.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "session.hpp"
#include "temp_dir.hpp"

// Runs of blanks squeezed to one, so that checks do not depend on how
// columns are padded.
inline std::string squeezed(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' || out.empty() || out.back() != ' ') out += c;
    return out;
}

// What the session printed for each command line, in script order.
class Transcript {
public:
    explicit Transcript(const std::string& out) {
        std::istringstream in(out);
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("> ", 0) == 0) blocks_.emplace_back();
            if (!blocks_.empty()) blocks_.back() += line + "\n";
        }
    }
    // The output of the command on script line i (0-based, blank and
    // comment lines not counted).
    const std::string& raw(size_t i) const {
        static const std::string none = "(no such command)";
        return i < blocks_.size() ? blocks_[i] : none;
    }
    // The same with runs of blanks squeezed.
    std::string at(size_t i) const { return squeezed(raw(i)); }
    size_t size() const { return blocks_.size(); }

private:
    std::vector<std::string> blocks_;
};

#define EXPECT_HAS(text, part) EXPECT_NE((text).find(part), std::string::npos) << (text)
#define EXPECT_LACKS(text, part) EXPECT_EQ((text).find(part), std::string::npos) << (text)

// The lines of text that start with prefix.
inline std::vector<std::string> lines_starting(const std::string& text, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

// A model "<name>.json" and, when routes is not empty, its routing export
// file "<name>.atv.xml" in a scratch directory.
class ModelDir {
public:
    ModelDir(const std::string& name, const std::string& model_json, const std::string& routes)
        : name_(name) {
        dir_.write(name + ".json", model_json);
        if (!routes.empty()) dir_.write(name + ".atv.xml", routes);
    }
    std::string model() const { return dir_.file(name_ + ".json"); }
    std::string routes() const { return dir_.file(name_ + ".atv.xml"); }
    std::string file(const std::string& name) const { return dir_.file(name); }
    xeqhost::Session::Options options() const { return {model(), {NBX_PLUGIN}}; }

    // Writes the routing export file again, dated later than before (the
    // analysis notices a new file by its modification time, in seconds).
    void rewrite_routes(const std::string& routes) const {
        const bool existed = std::filesystem::exists(this->routes());
        const auto before = existed ? std::filesystem::last_write_time(this->routes())
                                    : std::filesystem::file_time_type::clock::now();
        dir_.write(name_ + ".atv.xml", routes);
        std::filesystem::last_write_time(this->routes(), before + std::chrono::seconds(5));
    }

    // Runs script in a fresh session; the exit status must be status.
    Transcript run(const std::string& script, int status = 0) const {
        int got = -1;
        const std::string out = xeqhost::run_session(options(), script, &got);
        EXPECT_EQ(got, status) << out;
        return Transcript(out);
    }

private:
    TempDir dir_;
    std::string name_;
};

// Runs script in an open session; every command must succeed.
inline std::string run_in(xeqhost::Session& session, const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out;
    EXPECT_EQ(session.run(in, out), 0) << out.str();
    return out.str();
}

constexpr char kOpenAnalysis[] = "menu \"Reachability Analysis\"\n";
