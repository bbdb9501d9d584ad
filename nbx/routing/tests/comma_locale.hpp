// A process locale with a decimal comma and digit grouping, as many users
// have, set for the life of the guard: the C++ global locale always, and the
// C locale's numbers when the system has such a locale installed.
#pragma once

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <locale>
#include <string>

class CommaLocale {
public:
    CommaLocale()
        : previous_(std::locale::global(std::locale(std::locale::classic(), new Punct))),
          previous_c_(std::setlocale(LC_NUMERIC, nullptr)) {
        // Compiled before the first try: the C library remembers a locale
        // it failed to find.
        compile_locale();
        c_locale_set_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, previous_c_.c_str());
        std::locale::global(previous_);
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // Whether the C library's number conversions use the comma too.
    bool c_locale_set() const { return c_locale_set_; }

private:
    // Builds the locale from the system's locale sources (package locales)
    // once per process; where that fails an installed one may still serve.
    static bool compile_locale() {
        static const bool compiled = [] {
            static const std::string dir = "/tmp/nbx_comma_locale." + std::to_string(getpid());
            std::atexit([] { std::filesystem::remove_all(dir); });
            const std::string command = "mkdir -p " + dir + " && localedef -i de_DE -f UTF-8 " + dir + "/de_DE.utf8 >/dev/null 2>&1";
            return std::system(command.c_str()) == 0 && setenv("LOCPATH", dir.c_str(), 1) == 0;
        }();
        return compiled;
    }

    struct Punct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };

    std::locale previous_;
    std::string previous_c_;
    bool c_locale_set_ = false;
};
