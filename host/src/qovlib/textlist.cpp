// Text lists: owned copies of lines, handed to the host's prompts and choice
// lists. Exceptions never cross the C boundary: an allocation failure is a
// failed append.
#include <new>
#include <string>
#include <vector>

#include "qovlib.h"

struct QovS_Textlist {
    std::vector<std::string> lines;
};

extern "C" {

QovT_Textlist* Qov_Textlist_Create(void) { return new (std::nothrow) QovS_Textlist; }

int Qov_Textlist_Append(QovT_Textlist* list, const char* line, int position) {
    if (list == nullptr || line == nullptr) return 0;
    auto& lines = list->lines;
    if (position < -2 || position > static_cast<int>(lines.size())) return 0;
    const auto at = position == -1   ? lines.end()
                    : position == -2 ? lines.begin()
                                     : lines.begin() + position;
    try {
        lines.insert(at, line);
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 1;
}

int Qov_Textlist_Count(const QovT_Textlist* list) {
    return list == nullptr ? 0 : static_cast<int>(list->lines.size());
}

const char* Qov_Textlist_Line_Get(const QovT_Textlist* list, int index) {
    if (list == nullptr || index < 0 || index >= static_cast<int>(list->lines.size()))
        return nullptr;
    return list->lines[static_cast<size_t>(index)].c_str();
}

void Qov_Textlist_Destroy(QovT_Textlist* list) { delete list; }

} // extern "C"
