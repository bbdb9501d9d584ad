// Attribute access by path: the xeqed exports over the model core.
#include <cstdarg>
#include <cstring>

#include "model.hpp"

namespace xeq {
namespace {

std::optional<Target> locate_handle(XeqT_Obj_Handle handle, const char* path) {
    Obj* obj = resolve(handle);
    if (!obj || !path) return std::nullopt;
    return locate(*obj, path);
}

bool exists(const Target& t) {
    if (!t.attr) return false;
    if (t.count) return t.attr->compound != nullptr;
    if (t.row >= 0)
        return t.attr->compound && static_cast<size_t>(t.row) < t.attr->compound->rows.size();
    return true;
}

// What a path reads as: a scalar, or an object (compound or row).
struct Reading {
    std::optional<Scalar> scalar;
    Obj* object = nullptr;
};

std::optional<Reading> read(const Target& t) {
    if (!exists(t)) return std::nullopt;
    Reading r;
    if (t.count) {
        Scalar n;
        n.i = static_cast<int>(t.attr->compound->rows.size());
        r.scalar = n;
    } else if (t.row >= 0) {
        r.object = t.attr->compound->rows[t.row].get();
    } else if (t.attr->compound) {
        r.object = t.attr->compound.get();
    } else {
        r.scalar = t.attr->value;
    }
    return r;
}

bool store(const Reading& r, XeqT_Value_Kind kind, void* out, size_t out_size) {
    if (r.object) {
        if (kind != XEQC_VALUE_OBJ && kind != XEQC_VALUE_ANY) return false;
        *static_cast<XeqT_Obj_Handle*>(out) = r.object->handle;
        return true;
    }
    const Scalar& v = *r.scalar;
    if (kind == XEQC_VALUE_ANY) {
        switch (v.kind) {
        case Kind::Double: kind = XEQC_VALUE_DOUBLE; break;
        case Kind::Text: kind = XEQC_VALUE_TEXT; break;
        default: kind = XEQC_VALUE_INT; break;
        }
    }
    switch (kind) {
    case XEQC_VALUE_INT: {
        auto n = as_int(v);
        if (!n) return false;
        *static_cast<int*>(out) = *n;
        return true;
    }
    case XEQC_VALUE_DOUBLE: {
        auto d = as_double(v);
        if (!d) return false;
        *static_cast<double*>(out) = *d;
        return true;
    }
    case XEQC_VALUE_TEXT:
        if (out_size == 0) return false;
        copy_bounded(as_text(v), static_cast<char*>(out), out_size);
        return true;
    default: return false;
    }
}

int get(XeqT_Obj_Handle obj, const char* path, XeqT_Value_Kind kind, void* out, size_t size) {
    if (!out) return 0;
    auto t = locate_handle(obj, path);
    if (!t) return 0;
    auto r = read(*t);
    return r && store(*r, kind, out, size) ? 1 : 0;
}

std::optional<Scalar> scalar_from(XeqT_Value_Kind kind, const void* value) {
    if (!value) return std::nullopt;
    Scalar v;
    switch (kind) {
    case XEQC_VALUE_INT: v.kind = Kind::Integer; v.i = *static_cast<const int*>(value); break;
    case XEQC_VALUE_DOUBLE: v.kind = Kind::Double; v.d = *static_cast<const double*>(value); break;
    case XEQC_VALUE_TEXT: v.kind = Kind::Text; v.text = static_cast<const char*>(value); break;
    default: return std::nullopt;
    }
    return v;
}

// Bad input must not make the host allocate without bound.
constexpr int kMaxRows = 1 << 20;

bool set_count(Target& t, const Scalar& v) {
    auto n = as_int(v);
    if (!n || *n < 0 || *n > kMaxRows) return false;
    if (!t.attr) {
        Attr a;
        a.name = std::string(t.name);
        a.value.kind = Kind::Compound;
        a.compound = make_compound(*t.container, a.name);
        t.attr = &t.container->add(std::move(a));
    }
    if (!t.attr->compound) return false;
    resize_rows(*t.attr->compound, static_cast<size_t>(*n));
    return true;
}

// A top-level object's "name" attribute is the last level of its
// hierarchical name; keep the two in step while the new name is free (two
// objects may share a name, as drawn paths do, but never a hierarchical
// name, which would make the model impossible to read back).
std::optional<std::string> renamed_hname(const Obj& container, const Attr& attr) {
    if (attr.name != "name" || attr.kind() != Kind::Text || container.type == XEQC_OBJ_ATTR_ROW ||
        container.type == XEQC_OBJ_COMPOUND_ATTR || attr.value.text.empty() ||
        attr.value.text.find('.') != std::string::npos)
        return std::nullopt;
    const size_t dot = container.hname.rfind('.');
    const std::string prefix = dot == std::string::npos ? "" : container.hname.substr(0, dot + 1);
    return prefix + attr.value.text;
}

void follow_rename(Obj& container, const Attr& attr) {
    if (auto hname = renamed_hname(container, attr)) container.model->rename(container, *hname);
}

bool set_scalar(Target& t, const Scalar& v) {
    if (t.count) return set_count(t, v);
    if (t.row >= 0) return false;
    if (!t.attr) {
        Attr a;
        a.name = std::string(t.name);
        a.value = v;
        t.attr = &t.container->add(std::move(a));
        follow_rename(*t.container, *t.attr);
        return true;
    }
    if (t.attr->compound) return false;
    auto converted = convert(v, t.attr->kind());
    if (!converted) return false;
    t.attr->value = std::move(*converted);
    follow_rename(*t.container, *t.attr);
    return true;
}

// The rows (and row template) of the compound at t become copies of
// source's; the copy is made before the old rows go, as source may lie
// inside them.
bool set_compound(Target& t, XeqT_Obj_Handle source_handle) {
    Obj* source = resolve(source_handle);
    if (!source || source->type != XEQC_OBJ_COMPOUND_ATTR || t.count || t.row >= 0) return false;
    if (t.attr && !t.attr->compound) return false;
    if (t.attr && t.attr->compound.get() == source) return true;
    const std::string name(t.name);
    auto copy = clone_compound(*source, *t.container, name);
    if (!t.attr) {
        Attr a;
        a.name = name;
        a.value.kind = Kind::Compound;
        t.attr = &t.container->add(std::move(a));
    }
    t.attr->compound = std::move(copy);
    return true;
}

const Symbol* symbol_named(const Attr& attr, std::string_view name) {
    for (const Symbol& s : attr.symbols)
        if (s.name == name) return &s;
    return nullptr;
}

// Only a declared symbol (or "None" for a compound without rows) counts:
// callers ask "symbol or value?" and must not take a value for a symbol.
std::optional<std::string> symbol_of(const Target& t) {
    if (!exists(t) || t.row >= 0 || t.count) return std::nullopt;
    if (t.attr->compound) {
        for (const Symbol& s : t.attr->symbols)
            if (s.value.kind == Kind::Integer &&
                s.value.i == static_cast<int>(t.attr->compound->rows.size()))
                return s.name;
        if (t.attr->compound->rows.empty()) return "None";
        return std::nullopt;
    }
    for (const Symbol& s : t.attr->symbols)
        if (s.value == t.attr->value) return s.name;
    return std::nullopt;
}

bool set_symbol(Target& t, const char* symbol) {
    if (t.row >= 0 || t.count) return false;
    const std::string_view name(symbol);
    if (t.attr && t.attr->compound) {
        if (const Symbol* s = symbol_named(*t.attr, name)) {
            auto n = as_int(s->value);
            if (!n || *n < 0 || *n > kMaxRows) return false;
            resize_rows(*t.attr->compound, static_cast<size_t>(*n));
            return true;
        }
        if (name != "None") return false;
        resize_rows(*t.attr->compound, 0);
        return true;
    }
    if (!t.attr && name == "None") {
        Attr a;
        a.name = std::string(t.name);
        a.value.kind = Kind::Compound;
        a.compound = make_compound(*t.container, a.name);
        t.container->add(std::move(a));
        return true;
    }
    if (t.attr)
        if (const Symbol* s = symbol_named(*t.attr, name)) {
            t.attr->value = s->value;
            return true;
        }
    Scalar text;
    text.kind = Kind::Text;
    text.text = std::string(name);
    return set_scalar(t, text);
}

} // namespace
} // namespace xeq

using namespace xeq;

extern "C" {

int Xeq_Obj_Attr_Value_Get(XeqT_Obj_Handle obj, const char* path, XeqT_Value_Kind kind, void* out,
                           size_t out_size) {
    return get(obj, path, kind, out, out_size);
}

int Xeq_Obj_Attr_Get(XeqT_Obj_Handle obj, const char* path, void* out) {
    return get(obj, path, XEQC_VALUE_ANY, out, XEQC_ATTR_TEXT_SIZE);
}

int Xeq_Obj_Attr_Get_As_String(XeqT_Obj_Handle obj, const char* path, char* buffer) {
    return get(obj, path, XEQC_VALUE_TEXT, buffer, XEQC_ATTR_TEXT_SIZE);
}

int Xeq_Obj_Attr_Value_Set(XeqT_Obj_Handle obj, const char* path, XeqT_Value_Kind kind,
                           const void* value) {
    if (kind == XEQC_VALUE_OBJ) {
        auto t = locate_handle(obj, path);
        return value && t && set_compound(*t, *static_cast<const XeqT_Obj_Handle*>(value)) ? 1 : 0;
    }
    auto v = scalar_from(kind, value);
    auto t = locate_handle(obj, path);
    return v && t && set_scalar(*t, *v) ? 1 : 0;
}

int Xeq_Obj_Attr_Set(XeqT_Obj_Handle obj, const char* path, ...) {
    auto t = locate_handle(obj, path);
    if (!t || !exists(*t) || t->row >= 0) return 0;
    va_list args;
    va_start(args, path);
    if (t->attr->compound && !t->count) {
        const XeqT_Obj_Handle compound = va_arg(args, XeqT_Obj_Handle);
        va_end(args);
        return set_compound(*t, compound) ? 1 : 0;
    }
    Scalar v;
    switch (t->count ? Kind::Integer : t->attr->kind()) {
    case Kind::Double: v.kind = Kind::Double; v.d = va_arg(args, double); break;
    case Kind::Text: {
        const char* text = va_arg(args, const char*);
        v.kind = Kind::Text;
        v.text = text ? text : "";
        break;
    }
    default: v.kind = Kind::Integer; v.i = va_arg(args, int); break;
    }
    va_end(args);
    return set_scalar(*t, v) ? 1 : 0;
}

int Xeq_Obj_Attr_Exists(XeqT_Obj_Handle obj, const char* path) {
    auto t = locate_handle(obj, path);
    return t && exists(*t) ? 1 : 0;
}

int Xeq_Obj_Attr_Symbol_Get_N(XeqT_Obj_Handle obj, const char* path, char* buffer, size_t size) {
    if (!buffer || size == 0) return 0;
    auto t = locate_handle(obj, path);
    if (!t) return 0;
    auto symbol = symbol_of(*t);
    if (!symbol) return 0;
    copy_bounded(*symbol, buffer, size);
    return 1;
}

int Xeq_Obj_Attr_Symbol_Get(XeqT_Obj_Handle obj, const char* path, char* buffer) {
    return Xeq_Obj_Attr_Symbol_Get_N(obj, path, buffer, XEQC_SYMBOL_SIZE);
}

int Xeq_Obj_Attr_Symbol_Set(XeqT_Obj_Handle obj, const char* path, const char* symbol) {
    if (!symbol) return 0;
    auto t = locate_handle(obj, path);
    return t && set_symbol(*t, symbol) ? 1 : 0;
}

int Xeq_Obj_Attr_Set_From_Obj_Attr(XeqT_Obj_Handle target, const char* target_path,
                                   XeqT_Obj_Handle source, const char* source_path) {
    auto s = locate_handle(source, source_path);
    if (!s || !exists(*s) || s->row >= 0) return 0;
    auto t = locate_handle(target, target_path);
    if (!t || t->row >= 0) return 0;
    if (s->count || t->count) {
        auto r = read(*s);
        return r->scalar && set_scalar(*t, *r->scalar) ? 1 : 0;
    }
    // Copy first: source and target may share the attribute vector that
    // adding the target would grow.
    Attr copy = clone_attr(*s->attr, *t->container, std::string(t->name));
    if (t->attr) {
        *t->attr = std::move(copy);
    } else {
        t->attr = &t->container->add(std::move(copy));
    }
    follow_rename(*t->container, *t->attr);
    return 1;
}

} // extern "C"
