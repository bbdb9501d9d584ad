#include "probe_table.hpp"

#include <algorithm>
#include <iomanip>
#include <memory>
#include <sstream>
#include <vector>

#include "ygalib.h"

namespace xeqhost {
namespace {

struct ModelDestroyer {
    void operator()(YgaS_Model* model) const { Yga_Model_Destroy(model); }
};

std::string text_of(YgaT_Model model, YgaT_Object object, const char* name) {
    char buffer[512];
    return Yga_Attr_Text_Get(model, object, name, buffer, sizeof buffer) ? buffer : "";
}

const char* kind_name(int kind) {
    switch (kind) {
    case YGAC_OBJ_NODE_PROBE: return "node";
    case YGAC_OBJ_GLOBAL_PROBE: return "global";
    case YGAC_OBJ_LINK_PROBE: return "link";
    case YGAC_OBJ_POSITION: return "position";
    default: return "other";
    }
}

// "x,y" of the position object a probe's "pos" names ("#<index>").
std::string position_of(YgaT_Model model, YgaT_Object probe) {
    const std::string pos = text_of(model, probe, "pos");
    if (pos.size() < 2 || pos[0] != '#') return "";
    const YgaT_Object position = Yga_Model_Object_Get(model, std::stoi(pos.substr(1)));
    return text_of(model, position, "x") + "," + text_of(model, position, "y");
}

} // namespace

int print_probe_table(const std::string& path, std::ostream& out) {
    const std::unique_ptr<YgaS_Model, ModelDestroyer> model(Yga_Model_File_Read(path.c_str()));
    if (!model) return 1;
    out << "network name: " << text_of(model.get(), nullptr, "network name") << "\n";
    const char* const columns[] = {"statistic", "capture mode", "draw style", "group", "high bound"};
    std::vector<std::vector<std::string>> rows = {
        {"name", "kind", "statistic", "capture mode", "draw style", "group", "high bound", "x,y"}};
    for (int i = 0; i < Yga_Model_Object_Count(model.get()); ++i) {
        const YgaT_Object object = Yga_Model_Object_Get(model.get(), i);
        const int kind = Yga_Object_Kind_Get(object);
        if (kind == YGAC_OBJ_POSITION) continue;
        std::vector<std::string> row = {text_of(model.get(), object, "name"), kind_name(kind)};
        for (const char* column : columns) row.push_back(text_of(model.get(), object, column));
        row.push_back(position_of(model.get(), object));
        rows.push_back(row);
    }
    std::vector<size_t> widths(rows[0].size(), 0);
    for (const auto& row : rows)
        for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].size());
    for (const auto& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            std::ostringstream cell;
            cell << std::left << std::setw(static_cast<int>(widths[c])) << row[c];
            line += (c ? " | " : "") + cell.str();
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out << line << "\n";
    }
    out << rows.size() - 1 << " probe(s)\n";
    return 0;
}

} // namespace xeqhost
