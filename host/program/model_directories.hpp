// The model directories ("mod_dirs" preference) as a session sees them.
#pragma once

#include <string>
#include <vector>

namespace xeqhost {

// The directory part of a path ("." when it has none).
std::string directory_of(const std::string& path);

// The values of "mod_dirs", in order.
std::vector<std::string> model_directories();

// The directory of the open model is a model directory for as long as the
// model is open, as in the editor, where models open from one: added at
// the end (or the front) of "mod_dirs" unless it is there already, and
// taken out again afterwards, leaving whatever else changed meanwhile.
class ModelDirectoryInUse {
public:
    enum Place { Last, First };
    explicit ModelDirectoryInUse(std::string directory, Place place = Last);
    ~ModelDirectoryInUse();
    ModelDirectoryInUse(const ModelDirectoryInUse&) = delete;
    ModelDirectoryInUse& operator=(const ModelDirectoryInUse&) = delete;

private:
    std::string directory_;
    bool added_ = false;
};

} // namespace xeqhost
