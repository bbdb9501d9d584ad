// Owners for what the host hands out to the analysis window's handlers:
// blocks from kpl_mem_alloc, object lists, pointer lists and text lists.
// Each releases its resource on every exit of the handler that holds it.
#pragma once

#include <cstring>
#include <memory>

#include "kpllib.h"
#include "qovlib.h"
#include "xeqed.h"

namespace ra {

struct HostBlockFree {
    void operator()(void* block) const { kpl_mem_free(block); }
};
struct ObjListDestroy {
    void operator()(XeqS_Obj_List* list) const { Xeq_Obj_List_Destroy(list); }
};
// Releases the list's cells and descriptor, never its items.
struct PtrListDestroy {
    void operator()(QovT_Ll_Desc* list) const { kpl_list_destroy(list, 0); }
};
struct TextlistDestroy {
    void operator()(QovT_Textlist* list) const { Qov_Textlist_Destroy(list); }
};

using HostText = std::unique_ptr<char, HostBlockFree>;
using ObjList = std::unique_ptr<XeqS_Obj_List, ObjListDestroy>;
using PtrList = std::unique_ptr<QovT_Ll_Desc, PtrListDestroy>;
using Textlist = std::unique_ptr<QovT_Textlist, TextlistDestroy>;

// A host block holding a copy of text; empty for a null text or when memory
// runs out.
inline HostText copy_text(const char* text) {
    QOV_FRAME("ra::copy_text(text)");
    if (text == nullptr) return nullptr;
    const std::size_t size = std::strlen(text) + 1;
    HostText copy(static_cast<char*>(kpl_mem_alloc(size)));
    if (copy != nullptr) std::memcpy(copy.get(), text, size);
    return copy;
}

} // namespace ra
