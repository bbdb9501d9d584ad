// What every converter plug-in shares: the entry-point convention and the
// bounded work buffers the converters compose paths and read texts in.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "xeq_plugin.h"

namespace conv {

// Converter results: done (or nothing to convert), or a needed attribute is
// missing.
constexpr int kDone = 1;
constexpr int kMissing = 0;

// An attribute path composed from a format ("... [%d].Label"). 512
// characters are room for any path of the converted layouts; a longer one
// is cut, and a cut path names no attribute, so it only fails the call.
class Path {
public:
    __attribute__((format(printf, 2, 3))) explicit Path(const char* format, ...) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(text_, sizeof text_, format, args);
        va_end(args);
    }
    operator const char*() const { return text_; }

private:
    char text_[512];
};

// A symbol read into its 256-character work buffer; empty when the
// attribute has none.
class SymbolText {
public:
    SymbolText(XeqT_Obj_Handle obj, const char* path) {
        if (!Xeq_Obj_Attr_Symbol_Get(obj, path, text_)) text_[0] = '\0';
    }
    bool is(const char* symbol) const { return std::strcmp(text_, symbol) == 0; }
    const char* c_str() const { return text_; }

private:
    char text_[256];
};

// A count read from a ".count" path; 0 when the compound does not exist.
inline int read_count(XeqT_Obj_Handle obj, const char* path) {
    int count = 0;
    if (!Xeq_Obj_Attr_Get(obj, path, &count) || count < 0) return 0;
    return count;
}

} // namespace conv
