// Plain blocks and pool objects share one release call, so every block starts
// with a small header naming its pool (none for a plain block). The header is
// 16 bytes, which keeps the caller's storage 16-byte aligned.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "kpllib.h"

#if defined(__SANITIZE_ADDRESS__)
#define KPL_POOLS_ALLOCATE_ONE_BY_ONE 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KPL_POOLS_ALLOCATE_ONE_BY_ONE 1
#endif
#endif

namespace {

constexpr size_t kAlignment = 16;
constexpr uint32_t kLiveMagic = 0x4b504c42;  // a block handed out
constexpr uint32_t kFreeMagic = 0x6b706c66;  // a pool object back on its free list

struct alignas(kAlignment) BlockHeader {
    KplS_Pmo* pool;  // null for a plain block
    uint32_t magic;
};
static_assert(sizeof(BlockHeader) == kAlignment);

BlockHeader* header_of(void* block) { return static_cast<BlockHeader*>(block) - 1; }
void* payload_of(BlockHeader* header) { return header + 1; }

size_t round_up(size_t size) { return (size + kAlignment - 1) / kAlignment * kAlignment; }

// malloc already aligns to 16 on the 64-bit targets and is markedly faster
// than aligned_alloc there; size is a multiple of the alignment.
void* allocate_aligned(size_t size) {
    if constexpr (alignof(std::max_align_t) >= kAlignment)
        return std::malloc(size);
    else
        return std::aligned_alloc(kAlignment, size);
}

// A block of header + size bytes, or null when size is absurd or memory is out.
BlockHeader* allocate_block(size_t size, KplS_Pmo* pool) {
    if (size > SIZE_MAX - 2 * kAlignment) return nullptr;
    void* raw = allocate_aligned(sizeof(BlockHeader) + round_up(size));
    if (raw == nullptr) return nullptr;
    auto* header = static_cast<BlockHeader*>(raw);
    header->pool = pool;
    header->magic = kLiveMagic;
    return header;
}

} // namespace

struct KplS_Pmo {
    KplS_Pmo(const char* pool_name, size_t slot, int count)
        : name(pool_name), slot_size(slot), block_count(count) {}

    std::string name;
    size_t slot_size;  // header + object, a multiple of the alignment
    int block_count;
    BlockHeader* free_list = nullptr;  // threaded through each free slot's pool field
    int live = 0;
    std::vector<void*> chunks;  // kept only so the memory stays reachable

    void* alloc();
    void release(BlockHeader* header);
};

#ifdef KPL_POOLS_ALLOCATE_ONE_BY_ONE
// Under AddressSanitizer each object is its own heap block, so a use after
// kpl_mem_free and a never-released object are reported at the culprit.
void* KplS_Pmo::alloc() {
    BlockHeader* header = allocate_block(slot_size - sizeof(BlockHeader), this);
    if (header == nullptr) return nullptr;
    ++live;
    return payload_of(header);
}

void KplS_Pmo::release(BlockHeader* header) {
    --live;
    std::free(header);
}
#else
void* KplS_Pmo::alloc() {
    if (free_list == nullptr) {
        void* chunk = allocate_aligned(slot_size * static_cast<size_t>(block_count));
        if (chunk == nullptr) return nullptr;
        try {
            chunks.push_back(chunk);
        } catch (const std::bad_alloc&) {
            std::free(chunk);
            return nullptr;
        }
        // Thread the new slots so that they are handed out in address order.
        auto* bytes = static_cast<unsigned char*>(chunk);
        for (int i = block_count - 1; i >= 0; --i) {
            auto* slot = reinterpret_cast<BlockHeader*>(bytes + slot_size * static_cast<size_t>(i));
            slot->pool = reinterpret_cast<KplS_Pmo*>(free_list);
            slot->magic = kFreeMagic;
            free_list = slot;
        }
    }
    BlockHeader* header = free_list;
    free_list = reinterpret_cast<BlockHeader*>(header->pool);
    header->pool = this;
    header->magic = kLiveMagic;
    ++live;
    return payload_of(header);
}

void KplS_Pmo::release(BlockHeader* header) {
    --live;
    header->magic = kFreeMagic;
    header->pool = reinterpret_cast<KplS_Pmo*>(free_list);
    free_list = header;
}
#endif

namespace {

// Pools live until the process ends, held here so that leak checkers see
// them as reachable; never destroyed, because objects may still be released
// by other libraries' clean-up after this one's statics are gone.
std::vector<KplS_Pmo*>& pools() {
    static auto* all = new std::vector<KplS_Pmo*>;
    return *all;
}

} // namespace

extern "C" {

void* kpl_mem_alloc(size_t size) {
    BlockHeader* header = allocate_block(size, nullptr);
    return header == nullptr ? nullptr : payload_of(header);
}

void kpl_mem_free(void* block) {
    if (block == nullptr) return;
    BlockHeader* header = header_of(block);
    if (header->magic != kLiveMagic) {
        // A pool object released twice would corrupt its free list; refuse it.
        std::fprintf(stderr, "kpl_mem_free: %p is not a live block (released twice?)\n", block);
        return;
    }
    if (header->pool == nullptr) {
        header->magic = 0;
        std::free(header);
        return;
    }
    header->pool->release(header);
}

KplT_Pmo_Handle kpl_pmo_define(const char* name, size_t object_size, int block_count) {
    if (name == nullptr || block_count < 1) return nullptr;
    if (object_size > SIZE_MAX / 2 - 2 * kAlignment) return nullptr;
    const size_t slot_size = sizeof(BlockHeader) + round_up(object_size);
    if (slot_size > SIZE_MAX / static_cast<size_t>(block_count)) return nullptr;
    for (KplS_Pmo* pool : pools())
        if (pool->slot_size == slot_size && pool->block_count == block_count &&
            pool->name == name)
            return pool;
    try {
        auto* pool = new KplS_Pmo(name, slot_size, block_count);
        try {
            pools().push_back(pool);
        } catch (const std::bad_alloc&) {
            delete pool;
            return nullptr;
        }
        return pool;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* kpl_pmo_alloc(KplT_Pmo_Handle pool) { return pool == nullptr ? nullptr : pool->alloc(); }

int kpl_pmo_live_count(KplT_Pmo_Handle pool) { return pool == nullptr ? 0 : pool->live; }

} // extern "C"
