#include "bgp_listing.hpp"

#include <cstring>
#include <string_view>

#include "bounded_text.hpp"

namespace tovra {
namespace {

using tools::copy_text;

// The status never runs past the fifth character after the "*" (the widest
// layout has five status characters; one more for a drifted network).
constexpr size_t kStatusReach = 6;

// Where the layout puts the right edges of the metric, local preference and
// weight, and the start of the path, counted from the next hop's first
// column (the same in every layout).
constexpr size_t kNumberEdges[] = {25, 32, 39};
constexpr size_t kPathStart = 41;

constexpr std::string_view kRouterIdMark = "local router ID is ";

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

size_t skip_blanks(const char* line, size_t at, size_t length) {
    while (at < length && is_blank(line[at])) ++at;
    return at;
}
size_t word_end(const char* line, size_t at, size_t length) {
    while (at < length && !is_blank(line[at])) ++at;
    return at;
}
bool all_digits(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (!is_digit(text[i])) return false;
    return length > 0;
}

// The number field (0 metric, 1 local preference, 2 weight) whose right edge
// lies nearest to last, the number's last column.
int nearest_number_field(size_t next_hop, size_t last) {
    int best = 0;
    size_t best_distance = static_cast<size_t>(-1);
    for (int f = 0; f < 3; ++f) {
        const size_t edge = next_hop + kNumberEdges[f];
        const size_t distance = edge > last ? edge - last : last - edge;
        if (distance < best_distance) best = f, best_distance = distance;
    }
    return best;
}

// Checks the path and writes it as the route file wants it: blanks become
// "," and the separator before the origin ";" ("100 200 i" -> "100,200;i").
Outcome take_path(std::string_view path, Route* route) {
    if (path.size() >= kPathSize) return Outcome::kPathTooLong;
    int words = 0;
    size_t first_end = std::string_view::npos;
    for (size_t i = 0; i < path.size(); ++i)
        if (path[i] != ' ' && (i == 0 || path[i - 1] == ' ')) {
            ++words;
            if (words == 1) first_end = path.find(' ', i);
        }
    if (words < 2) return Outcome::kNoAsPath;
    const char origin = path.back();
    if ((origin != 'i' && origin != 'e' && origin != '?') || path[path.size() - 2] != ' ')
        return Outcome::kNoOrigin;
    copy_text(route->path, path);
    for (size_t i = 0; i < path.size(); ++i)
        if (route->path[i] == ' ') route->path[i] = ',';
    route->path[path.size() - 2] = ';';
    const std::string_view first = path.substr(0, first_end);
    copy_text(route->first_as, tools::trimmed(first));
    return Outcome::kRoute;
}

} // namespace

bool is_route_line(const char* line) {
    return line[0] == '*' || (line[0] == ' ' && line[1] == '*');
}

bool read_listing_line(std::FILE* in, char (&line)[kLineSize]) {
    if (!std::fgets(line, sizeof line, in)) return false;
    const size_t length = std::strlen(line);
    if (length > 0 && line[length - 1] != '\n') {
        // Longer than a line may be: the rest of it is dropped, so it
        // cannot pass for a line of its own.
        int c;
        while ((c = std::fgetc(in)) != EOF && c != '\n') {
        }
    }
    return true;
}

Outcome ListingParser::feed(const char* line, Route* route) {
    size_t length = strnlen(line, kLineSize - 1);
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) --length;
    if (stopped_) return Outcome::kStop;
    if (!have_router_id_) return read_router_id(line, length);
    if (wrapped_) {
        wrapped_ = false;
        if (!(length > 0 && is_route_line(line))) return read_rest(line, length, 0, wrapped_internal_, route);
        ++incomplete_;
    }
    if (length == 0 || !is_route_line(line)) return Outcome::kNotRouteLine;
    return read_route_line(line, length, line[0] == '*' ? 0 : 1, route);
}

Outcome ListingParser::read_router_id(const char* line, size_t length) {
    const std::string_view text(line, length);
    const size_t mark = text.find(kRouterIdMark);
    if (mark == std::string_view::npos) return Outcome::kBeforeRouterId;
    const std::string_view id = tools::trimmed(text.substr(mark + kRouterIdMark.size()));
    if (id.empty()) {
        stopped_ = true;
        return Outcome::kStop;
    }
    copy_text(router_id_, id);
    have_router_id_ = true;
    return Outcome::kNotRouteLine;
}

Outcome ListingParser::read_route_line(const char* line, size_t length, size_t star, Route* route) {
    // The status runs from the "*" to the first digit: the network's, or on
    // a continuation line (no network) the next hop's, far to the right.
    size_t first_digit = star + 1;
    while (first_digit < length && !is_digit(line[first_digit])) ++first_digit;
    const size_t status_end = first_digit < star + kStatusReach ? first_digit : star + kStatusReach;
    const bool internal = std::memchr(line + star, 'i', status_end - star) != nullptr;
    const bool has_network = first_digit <= star + kStatusReach && first_digit < length;
    size_t rest = status_end;
    if (has_network) {
        // Taken even from an internal route: the continuations below it
        // belong to this network.
        rest = word_end(line, first_digit, length);
        copy_text(network_, std::string_view(line + first_digit, rest - first_digit));
        if (skip_blanks(line, rest, length) == length) {
            wrapped_ = true;
            wrapped_internal_ = internal;
            return Outcome::kWrapped;
        }
    }
    return read_rest(line, length, rest, internal, route);
}

Outcome ListingParser::read_rest(const char* line, size_t length, size_t from, bool internal,
                                 Route* route) {
    if (internal) return Outcome::kInternal;
    if (network_[0] == '\0') return Outcome::kNoNetwork;
    const size_t next_hop = skip_blanks(line, from, length);
    size_t at = word_end(line, next_hop, length);
    copy_text(route->network, network_);
    copy_text(route->next_hop, std::string_view(line + next_hop, at - next_hop));
    route->med[0] = route->local_pref[0] = '\0';
    // Numbers up to the weight, each in the field nearest its right edge and
    // in field order; the path starts with the first word that is no such
    // number.
    int last_field = -1;
    for (;;) {
        const size_t start = skip_blanks(line, at, length);
        const size_t end = word_end(line, start, length);
        if (start == length || !all_digits(line + start, end - start) ||
            end - 1 >= next_hop + kPathStart)
            break;
        const int field = nearest_number_field(next_hop, end - 1);
        if (field <= last_field) break;
        const std::string_view number(line + start, end - start);
        if (field == 0) copy_text(route->med, number);
        if (field == 1) copy_text(route->local_pref, number);
        last_field = field;
        at = end;
    }
    return take_path(tools::trimmed(std::string_view(line + at, length - at)), route);
}

} // namespace tovra
