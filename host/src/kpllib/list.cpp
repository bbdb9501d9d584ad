// Pointer lists as ring buffers of power-of-two capacity: appending, draining
// at the head and indexed access are O(1); a middle insertion or removal
// moves the shorter side.
#include <climits>

#include "kpllib.h"

namespace {

// Most lists hold a handful of items (next hops, owners of one address).
constexpr int kInitialCapacity = 2;

int physical(const QovT_Ll_Desc* list, int index) { return (list->head + index) & (list->capacity - 1); }

void*& cell(QovT_Ll_Desc* list, int index) { return list->cells[physical(list, index)]; }

// Makes room for one more element, keeping the order; false when out of memory.
bool reserve_one(QovT_Ll_Desc* list) {
    if (list->count < list->capacity) return true;
    if (list->capacity > INT_MAX / 2) return false;
    const int capacity = list->capacity == 0 ? kInitialCapacity : list->capacity * 2;
    auto** cells = static_cast<void**>(kpl_mem_alloc(sizeof(void*) * static_cast<size_t>(capacity)));
    if (cells == nullptr) return false;
    for (int i = 0; i < list->count; ++i) cells[i] = cell(list, i);
    kpl_mem_free(list->cells);
    list->cells = cells;
    list->head = 0;
    list->capacity = capacity;
    return true;
}

// The element index a position names for access and removal, or -1.
int element_index(const QovT_Ll_Desc* list, int position) {
    if (list == nullptr || list->count == 0) return -1;
    if (position == KPLC_LISTPOS_TAIL) return list->count - 1;
    if (position == KPLC_LISTPOS_HEAD) return 0;
    return position >= 0 && position < list->count ? position : -1;
}

void insert_at(QovT_Ll_Desc* list, int index, void* item) {
    if (index < list->count / 2) {
        // Shift the front part one cell towards the head.
        list->head = (list->head - 1) & (list->capacity - 1);
        for (int i = 0; i < index; ++i) cell(list, i) = cell(list, i + 1);
    } else {
        for (int i = list->count; i > index; --i) cell(list, i) = cell(list, i - 1);
    }
    cell(list, index) = item;
    ++list->count;
}

void* remove_at(QovT_Ll_Desc* list, int index) {
    void* item = cell(list, index);
    if (index < list->count / 2) {
        for (int i = index; i > 0; --i) cell(list, i) = cell(list, i - 1);
        list->head = (list->head + 1) & (list->capacity - 1);
    } else {
        for (int i = index; i < list->count - 1; ++i) cell(list, i) = cell(list, i + 1);
    }
    --list->count;
    return item;
}

} // namespace

extern "C" {

QovT_Ll_Desc* kpl_list_create(void) {
    auto* list = static_cast<QovT_Ll_Desc*>(kpl_mem_alloc(sizeof(QovT_Ll_Desc)));
    if (list != nullptr) kpl_list_init(list);
    return list;
}

void kpl_list_init(QovT_Ll_Desc* list) {
    if (list == nullptr) return;
    list->cells = nullptr;
    list->head = 0;
    list->count = 0;
    list->capacity = 0;
}

int kpl_list_insert(QovT_Ll_Desc* list, void* item, int position) {
    if (list == nullptr) return 0;
    int index = position;
    if (position == KPLC_LISTPOS_TAIL) index = list->count;
    else if (position == KPLC_LISTPOS_HEAD) index = 0;
    else if (position < 0 || position > list->count) return 0;
    if (!reserve_one(list)) return 0;
    insert_at(list, index, item);
    return 1;
}

int kpl_list_insert_sorted(QovT_Ll_Desc* list, void* item, KplT_List_Compare_Proc compare) {
    if (list == nullptr || compare == nullptr) return 0;
    int index = 0;
    while (index < list->count && compare(item, cell(list, index)) <= 0) ++index;
    return kpl_list_insert(list, item, index);
}

void* kpl_list_access(const QovT_Ll_Desc* list, int position) {
    const int index = element_index(list, position);
    return index < 0 ? nullptr : list->cells[physical(list, index)];
}

void* kpl_list_remove(QovT_Ll_Desc* list, int position) {
    const int index = element_index(list, position);
    return index < 0 ? nullptr : remove_at(list, index);
}

int kpl_list_size(const QovT_Ll_Desc* list) { return list == nullptr ? 0 : list->count; }

void kpl_list_free(QovT_Ll_Desc* list) {
    if (list == nullptr) return;
    kpl_mem_free(list->cells);
    kpl_list_init(list);
}

void kpl_list_destroy(QovT_Ll_Desc* list, int free_items) {
    if (list == nullptr) return;
    if (free_items)
        for (int i = 0; i < list->count; ++i) kpl_mem_free(cell(list, i));
    kpl_list_free(list);
    kpl_mem_free(list);
}

} // extern "C"
