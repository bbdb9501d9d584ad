// Host lists that own their items: appending a new item and deleting every
// item, last first.
#pragma once

#include "kpllib.h"

namespace ra {

// A new T appended at the tail of list, or null (nothing appended) when
// memory runs out.
template <typename T>
T* append_new(QovT_Ll_Desc* list) {
    T* item = new T;
    if (item == nullptr) return nullptr;
    if (!kpl_list_insert(list, item, KPLC_LISTPOS_TAIL)) {
        delete item;
        return nullptr;
    }
    return item;
}

// Deletes the items from the last to the first and leaves the list empty.
template <typename T>
void delete_all(QovT_Ll_Desc* list) {
    while (kpl_list_size(list) > 0) delete static_cast<T*>(kpl_list_remove(list, KPLC_LISTPOS_TAIL));
    kpl_list_free(list);
}

} // namespace ra
