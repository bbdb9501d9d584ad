// Reading a directory of listings into route files: the part of the import
// that knows nothing of the model.
#pragma once

#include <functional>

#include "route_files.hpp"

namespace tovra {

struct ImportResult {
    bool listed = false; // the source directory could be read
    long written = 0;    // routes written
    long lost = 0;       // routes that could not be written
};

// Called once per route file the run creates, with the router ID of its
// listing, the first AS of its first route and its base name.
using NewRouteFile =
    std::function<void(const char* router_id, const char* first_as, const char* name)>;

// Reads every regular file of source as a listing and writes its routes to
// route files in target, with the progress bar "Reading BGP Route File(s)...".
ImportResult import_listings(const char* source, const char* target, const NewRouteFile& on_new_file);

} // namespace tovra
