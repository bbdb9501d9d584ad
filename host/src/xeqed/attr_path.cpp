// Attribute path grammar and scalar conversions.
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "model.hpp"

namespace xeq {
namespace {

// "Name", "Name [3]" or "Name[3]". A blank is allowed only right before the
// bracket; nothing may follow the closing bracket.
std::optional<Level> parse_level(std::string_view text) {
    Level level;
    const size_t open = text.find('[');
    if (open == std::string_view::npos) {
        if (text.empty() || text.find(']') != std::string_view::npos) return std::nullopt;
        level.name = text;
        return level;
    }
    if (text.back() != ']') return std::nullopt;
    const std::string_view digits = text.substr(open + 1, text.size() - open - 2);
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int index = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (ec != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    std::string_view name = text.substr(0, open);
    if (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (name.empty() || name.back() == ' ') return std::nullopt;
    level.name = name;
    level.index = index;
    return level;
}

} // namespace

std::optional<std::vector<Level>> parse_path(std::string_view path) {
    std::vector<Level> levels;
    size_t start = 0;
    while (true) {
        const size_t dot = path.find('.', start);
        const std::string_view piece =
            path.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        auto level = parse_level(piece);
        if (!level) return std::nullopt;
        levels.push_back(*level);
        if (dot == std::string_view::npos) break;
        start = dot + 1;
    }
    return levels;
}

std::optional<Target> locate(Obj& obj, std::string_view path) {
    auto levels = parse_path(path);
    if (!levels) return std::nullopt;
    size_t last = levels->size() - 1;
    Target target;
    // "X.count" asks for the row count of compound X; "X [0].count" is an
    // attribute named count in row 0.
    if (last > 0 && (*levels)[last].name == "count" && (*levels)[last].index < 0 &&
        (*levels)[last - 1].index < 0) {
        target.count = true;
        --last;
    }
    Obj* container = &obj;
    for (size_t i = 0; i < last; ++i) {
        Attr* attr = container->find((*levels)[i].name);
        if (!attr || !attr->compound) return std::nullopt;
        const int row = (*levels)[i].index < 0 ? 0 : (*levels)[i].index;
        if (static_cast<size_t>(row) >= attr->compound->rows.size()) return std::nullopt;
        container = attr->compound->rows[row].get();
    }
    target.container = container;
    target.name = (*levels)[last].name;
    target.attr = container->find(target.name);
    target.row = (*levels)[last].index;
    return target;
}

std::optional<int> as_int(const Scalar& v) {
    switch (v.kind) {
    case Kind::Integer:
    case Kind::Toggle: return v.i;
    case Kind::Double:
        if (std::isfinite(v.d) && v.d == std::trunc(v.d) && v.d >= -2147483648.0 &&
            v.d <= 2147483647.0)
            return static_cast<int>(v.d);
        return std::nullopt;
    case Kind::Text: {
        int n = 0;
        const char* b = v.text.data();
        const char* e = b + v.text.size();
        const auto [end, ec] = std::from_chars(b, e, n);
        if (ec == std::errc() && end == e && b != e) return n;
        return std::nullopt;
    }
    case Kind::Compound: return std::nullopt;
    }
    return std::nullopt;
}

std::optional<double> as_double(const Scalar& v) {
    switch (v.kind) {
    case Kind::Integer:
    case Kind::Toggle: return static_cast<double>(v.i);
    case Kind::Double: return v.d;
    case Kind::Text: {
        if (v.text.empty() || v.text.front() == ' ') return std::nullopt;
        char* end = nullptr;
        errno = 0;
        const double d = std::strtod(v.text.c_str(), &end);
        if (errno == ERANGE || end != v.text.c_str() + v.text.size()) return std::nullopt;
        return d;
    }
    case Kind::Compound: return std::nullopt;
    }
    return std::nullopt;
}

std::string as_text(const Scalar& v) {
    switch (v.kind) {
    case Kind::Integer: return std::to_string(v.i);
    case Kind::Toggle: return v.i ? "Enabled" : "Disabled";
    case Kind::Double: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.15g", v.d);
        return buf;
    }
    case Kind::Text: return v.text;
    case Kind::Compound: return {};
    }
    return {};
}

static std::optional<int> as_toggle(const Scalar& v) {
    if (v.kind == Kind::Text) {
        if (v.text == "Enabled" || v.text == "On" || v.text == "true") return 1;
        if (v.text == "Disabled" || v.text == "Off" || v.text == "false") return 0;
    }
    auto n = as_int(v);
    if (!n) return std::nullopt;
    return *n != 0;
}

std::optional<Scalar> convert(const Scalar& v, Kind kind) {
    Scalar out;
    out.kind = kind;
    switch (kind) {
    case Kind::Integer: {
        auto n = as_int(v);
        if (!n) return std::nullopt;
        out.i = *n;
        return out;
    }
    case Kind::Toggle: {
        auto n = as_toggle(v);
        if (!n) return std::nullopt;
        out.i = *n;
        return out;
    }
    case Kind::Double: {
        auto d = as_double(v);
        if (!d) return std::nullopt;
        out.d = *d;
        return out;
    }
    case Kind::Text: out.text = as_text(v); return out;
    case Kind::Compound: return std::nullopt;
    }
    return std::nullopt;
}

} // namespace xeq
