#include "route_files.hpp"

#include <cerrno>
#include <cstring>

#include "bounded_text.hpp"

namespace tovra {
namespace {

constexpr const char* kHeader =
    "#<network address>[/prefix length];<next hop>;[MED];[local preference];<as path>;<origin>;"
    "[<communities>;]\n";

} // namespace

bool route_file_name(const char* first_as, const char* router_id, char (&name)[kFileNameSize]) {
    char id[kRouterIdSize];
    tools::copy_text(id, router_id);
    for (char* c = id; *c; ++c)
        if (*c == '.') *c = '_';
    std::snprintf(name, sizeof name, "AS%s_%s-bgp_rib", first_as, id);
    return std::strchr(name, '/') == nullptr;
}

RouteFiles::RouteFiles(const char* target_directory) : directory_(target_directory) {}

std::FILE* RouteFiles::open(const char* name, const char* mode) {
    const std::string path = directory_ + "/" + name + ".gdf";
    std::FILE* file = std::fopen(path.c_str(), mode);
    if (!file && (errno == EMFILE || errno == ENFILE)) {
        // Out of descriptors: every stream is closed (each reopens for
        // appending when next written) and the file tried once more.
        for (auto& [known, stream] : files_) stream.reset();
        file = std::fopen(path.c_str(), mode);
    }
    return file;
}

RouteFiles::Written RouteFiles::write(const char* name, const Route& route) {
    Written written = Written::kToOpenFile;
    auto found = files_.find(name);
    if (found == files_.end()) {
        Stream created(open(name, "w"));
        if (!created || std::fputs(kHeader, created.get()) < 0) {
            ++lost_;
            return Written::kLost;
        }
        found = files_.emplace(name, std::move(created)).first;
        written = Written::kToNewFile;
    } else if (!found->second) {
        found->second.reset(open(name, "a"));
        if (!found->second) {
            ++lost_;
            return Written::kLost;
        }
    }
    if (std::fprintf(found->second.get(), "%s;%s;%s;%s;%s;\n", route.network, route.next_hop,
                     route.med, route.local_pref, route.path) < 0) {
        ++lost_;
        return Written::kLost;
    }
    return written;
}

void RouteFiles::close() {
    for (auto& [name, stream] : files_) {
        // A failed flush loses what the stream still held; the count is
        // unknown, so the file counts as one lost route at least.
        if (stream && (std::ferror(stream.get()) || std::fclose(stream.release()) != 0)) ++lost_;
    }
    files_.clear();
}

} // namespace tovra
