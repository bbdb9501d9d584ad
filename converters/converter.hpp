// What every converter plug-in shares: the entry-point convention, the
// bounded work buffers the converters compose paths and read texts in, and
// the steps several converters take alike.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "vyqlib.h"
#include "xeq_plugin.h"

namespace conv {

// Converter results: done (or nothing to convert), or a needed attribute is
// missing.
constexpr int kDone = 1;
constexpr int kMissing = 0;

// An attribute path composed from a format ("... [%d].Label"). 512
// characters are room for any path of the converted layouts. A longer one
// is emptied rather than cut: an empty path names no attribute, a cut one
// might name another.
class Path {
public:
    __attribute__((format(printf, 2, 3))) explicit Path(const char* format, ...) {
        va_list args;
        va_start(args, format);
        const int length = std::vsnprintf(text_, sizeof text_, format, args);
        va_end(args);
        if (length < 0 || static_cast<size_t>(length) >= sizeof text_) text_[0] = '\0';
    }
    operator const char*() const { return text_; }

private:
    char text_[512];
};

// A symbol read into a work buffer of N characters; empty, and not held,
// when the attribute holds none or one too long for the buffer (a cut
// symbol would be another, wrong one).
template <size_t N>
class SymbolBuffer {
public:
    SymbolBuffer(XeqT_Obj_Handle obj, const char* path) {
        held_ = Xeq_Obj_Attr_Symbol_Get_N(obj, path, text_, sizeof text_) == 1 &&
                std::strlen(text_) < N;
        if (!held_) text_[0] = '\0';
    }
    bool held() const { return held_; }
    bool is(const char* symbol) const { return held_ && std::strcmp(text_, symbol) == 0; }
    const char* c_str() const { return text_; }

private:
    char text_[N + 1]; // one more, to tell a fitting symbol from a cut one
    bool held_;
};

using SymbolText = SymbolBuffer<256>;

// A text value read into a work buffer of N characters; not read when the
// value does not fit, for the same reason.
template <size_t N>
class TextBuffer {
public:
    TextBuffer(XeqT_Obj_Handle obj, const char* path) {
        read_ = Xeq_Obj_Attr_Value_Get(obj, path, XEQC_VALUE_TEXT, text_, sizeof text_) == 1 &&
                std::strlen(text_) < N;
        if (!read_) text_[0] = '\0';
    }
    bool read() const { return read_; }
    const char* c_str() const { return text_; }

private:
    char text_[N + 1];
    bool read_;
};

// A count read from a ".count" path; 0 when the compound does not exist.
inline int read_count(XeqT_Obj_Handle obj, const char* path) {
    int count = 0;
    if (!Xeq_Obj_Attr_Get(obj, path, &count) || count < 0) return 0;
    return count;
}

// "Object (<name>, <model>) no longer has <group> attributes." as a
// warning, naming the converted object.
inline void warn_no_longer_has(XeqT_Obj_Handle obj, const char* group) {
    char name[512] = "";
    char model[512] = "";
    Xeq_Obj_Attr_Get(obj, "name", name);
    Xeq_Obj_Attr_Get(obj, "model", model);
    char message[1200];
    std::snprintf(message, sizeof message, "Object (%s, %s) no longer has %s attributes.", name,
                  model, group);
    Xeq_Msg_Warning(0, message, 0, 0);
}

// The object of a compound attribute, read as a handle and released when
// the converter is done with it.
class CompoundHandle {
public:
    CompoundHandle(XeqT_Obj_Handle obj, const char* path) {
        if (!Xeq_Obj_Attr_Get(obj, path, &handle_) || Xeq_Obj_Type_Get(handle_) != XEQC_OBJ_COMPOUND_ATTR)
            handle_ = 0;
    }
    ~CompoundHandle() {
        if (handle_) Xeq_Obj_Destroy(handle_);
    }
    CompoundHandle(const CompoundHandle&) = delete;
    CompoundHandle& operator=(const CompoundHandle&) = delete;

    bool valid() const { return handle_ != 0; }
    XeqT_Obj_Handle get() const { return handle_; }
    XeqT_Obj_Handle first_row() const { return Xeq_Topo_Child_Get(handle_, 0, 0); }

private:
    XeqT_Obj_Handle handle_ = 0;
};

// Gives the compound at path its first row when it has none (or does not
// exist yet), so that an old row copied into it has a place to go.
inline void ensure_first_row(XeqT_Obj_Handle obj, const char* path) {
    if (read_count(obj, Path("%s.count", path)) == 0) Xeq_Obj_Attr_Set(obj, Path("%s.count", path), 1);
}

// Calls visit(name) for each attribute of obj, by index; an index whose
// name cannot be read is skipped.
template <typename Visit>
void for_each_attr_name(XeqT_Obj_Handle obj, Visit visit) {
    const int count = Xeq_Obj_Attr_Count_Get(obj);
    for (int i = 0; i < count; ++i) {
        char name[512];
        if (Xeq_Obj_Attr_Desc_Nth_Get(obj, i, name) == 1) visit(static_cast<const char*>(name));
    }
}

// Port attributes of the 7.0 layout: calls visit(row, name) for each
// attribute name of old that contains the keyword of a table row, for
// every such row in table order.
template <typename Row, size_t N, typename Visit>
void for_each_port_attr(XeqT_Obj_Handle old, const Row (&table)[N], Visit visit) {
    for_each_attr_name(old, [&](const char* name) {
        for (const Row& row : table)
            if (std::strstr(name, row.keyword)) visit(row, name);
    });
}

// The port suffix: the text of name after the keyword's length plus extra
// characters; empty when the name is not that long.
inline const char* port_suffix(const char* name, const char* keyword, size_t extra) {
    const size_t offset = std::strlen(keyword) + extra;
    return std::strlen(name) >= offset ? name + offset : "";
}

// The two forms of a port's compound field: "<group><suffix>[0].<field>"
// and "<group> (P<suffix>).<field>".
inline Path port_indexed_path(const char* group, const char* suffix, const char* field) {
    return Path("%s%s[0].%s", group, suffix, field);
}
inline Path port_named_path(const char* group, const char* suffix, const char* field) {
    return Path("%s (P%s).%s", group, suffix, field);
}

// Route redistribution made usable for 9.1 within one object: under
// protocols (the "Routing Protocols [0]" row of the group), enabled EIGRP
// takes the node's EIGRP AS number where it has 0, enabled OSPF gets
// process tag 1 and enabled IGRP AS number 1.
inline int redistribution_for_91(XeqT_Obj_Handle obj, const char* group, const char* protocols) {
    if (!Xeq_Obj_Attr_Exists(obj, group)) return kDone;
    enum Protocol { kEigrp, kOspf, kIgrp };
    static const char* const names[] = {"EIGRP", "OSPF", "IGRP"};
    for (int protocol = kEigrp; protocol <= kIgrp; ++protocol) {
        const Path base("%s.%s", protocols, names[protocol]);
        const Path enabled_path("%s [0].Redistribution", static_cast<const char*>(base));
        int enabled = 0;
        if (!Xeq_Obj_Attr_Exists(obj, base) || !Xeq_Obj_Attr_Exists(obj, enabled_path) ||
            !Xeq_Obj_Attr_Get(obj, enabled_path, &enabled) || enabled != 1)
            continue;
        if (protocol == kEigrp) {
            const Path as_path("%s [0].AS Number", static_cast<const char*>(base));
            const char* eigrp_as = "EIGRP Parameters [0].AS Parameters [0].AS Number";
            int as_number = -1;
            if (Xeq_Obj_Attr_Exists(obj, as_path) && Xeq_Obj_Attr_Exists(obj, eigrp_as) &&
                Xeq_Obj_Attr_Get(obj, as_path, &as_number) && as_number == 0)
                Xeq_Obj_Attr_Set_From_Obj_Attr(obj, as_path, obj, eigrp_as);
        } else {
            const Path field("%s [0].%s", static_cast<const char*>(base),
                             protocol == kOspf ? "Process Tag" : "AS Number");
            if (Xeq_Obj_Attr_Exists(obj, field)) Xeq_Obj_Attr_Set(obj, field, 1);
        }
    }
    return kDone;
}

} // namespace conv
