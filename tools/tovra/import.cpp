#include "import.hpp"

#include <sys/stat.h>

#include <memory>
#include <string>

#include "kpllib.h"
#include "xeqed.h"

namespace tovra {
namespace {

struct ListDestroyer {
    void operator()(QovT_Ll_Desc* list) const { kpl_list_destroy(list, 1); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

// Only regular files are listings: a directory is skipped, and so is
// anything (a pipe, a device) that could block the read.
bool is_regular_file(const std::string& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

void import_listing(const std::string& path, RouteFiles& files, const NewRouteFile& on_new_file,
                    ImportResult& result) {
    const std::unique_ptr<std::FILE, FileCloser> in(std::fopen(path.c_str(), "r"));
    if (!in) return;
    ListingParser parser;
    Route route;
    char line[kLineSize];
    while (read_listing_line(in.get(), line)) {
        const Outcome outcome = parser.feed(line, &route);
        if (outcome == Outcome::kStop) break;
        if (outcome != Outcome::kRoute) continue;
        char name[kFileNameSize];
        if (!route_file_name(route.first_as, parser.router_id(), name)) {
            ++result.lost;
            continue;
        }
        const RouteFiles::Written written = files.write(name, route);
        if (written == RouteFiles::Written::kLost) continue;
        ++result.written;
        if (written == RouteFiles::Written::kToNewFile) on_new_file(parser.router_id(), route.first_as, name);
    }
}

} // namespace

ImportResult import_listings(const char* source, const char* target, const NewRouteFile& on_new_file) {
    ImportResult result;
    const std::unique_ptr<QovT_Ll_Desc, ListDestroyer> entries(kpl_dir_contents(source));
    if (!entries) return result;
    result.listed = true;
    RouteFiles files(target);
    const int count = kpl_list_size(entries.get());
    Xeq_Progress_Bar_Start("Reading BGP Route File(s)...", count);
    for (int i = 0; i < count; ++i) {
        const std::string path =
            std::string(source) + "/" + static_cast<const char*>(kpl_list_access(entries.get(), i));
        if (is_regular_file(path)) import_listing(path, files, on_new_file, result);
        Xeq_Progress_Bar_Advance(1);
    }
    files.close();
    Xeq_Progress_Bar_End();
    result.lost += files.lost();
    return result;
}

} // namespace tovra
