// The route files of one import run: "AS<first AS>_<router ID>-bgp_rib.gdf"
// in the target directory, each created (truncated) with its header by the
// first route written to it in the run and kept open for the rest of it.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>

#include "bgp_listing.hpp"

namespace tovra {

inline constexpr size_t kDirectorySize = 1024; // a directory text: 1023
inline constexpr size_t kFileNameSize = 512;   // a route file's base name: 511

// The base name of the route file for a route with that first AS from the
// router of that ID ("." of the ID become "_"). False when it would name
// something outside the target directory (a "/" in it).
bool route_file_name(const char* first_as, const char* router_id, char (&name)[kFileNameSize]);

class RouteFiles {
public:
    enum class Written { kToNewFile, kToOpenFile, kLost };

    explicit RouteFiles(const char* target_directory);
    // Appends the route's line to the file of that base name, creating the
    // file with its header when the run has not written to it yet.
    Written write(const char* name, const Route& route);
    // Flushes and closes every file. Routes that could not be written, here
    // or before, are counted in lost().
    void close();
    long lost() const { return lost_; }

private:
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    using Stream = std::unique_ptr<std::FILE, Closer>;

    std::FILE* open(const char* name, const char* mode);

    std::string directory_;
    // Every file of the run; a null stream was closed to free a descriptor
    // and is opened again for appending.
    std::unordered_map<std::string, Stream> files_;
    long lost_ = 0;
};

} // namespace tovra
