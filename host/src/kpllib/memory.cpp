// Plain blocks and pool objects share one release call, so the word just
// before every payload says whose it is: the owning pool's address with the
// low "live" bit set, or the bare live bit for a plain block. A pool slot
// back on its free list holds the next free slot instead, live bit clear, so
// a second release of the same object is recognised and refused.
//
// One word per object, not a padded header: pool objects are the many small
// ones (tree nodes of three pointers), where a 16-byte header would double
// their footprint. Plain blocks keep 16-byte alignment; pool objects get 8,
// the alignment of every pointer, integer and double they hold.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "kpllib.h"
#include "xeq_host.h"

#if defined(__SANITIZE_ADDRESS__)
#define KPL_POOLS_ALLOCATE_ONE_BY_ONE 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KPL_POOLS_ALLOCATE_ONE_BY_ONE 1
#endif
#endif

namespace {

using Word = uintptr_t;
constexpr Word kLive = 1;
constexpr size_t kBlockAlignment = 16; // plain blocks: what malloc gives
constexpr size_t kSlotAlignment = sizeof(Word);
constexpr size_t kChunkBytes = 64 * 1024; // where pool chunks stop growing

Word& word_of(void* payload) { return static_cast<Word*>(payload)[-1]; }

size_t round_up(size_t size, size_t alignment) {
    return (size + alignment - 1) / alignment * alignment;
}

// malloc aligns to 16 on the 64-bit targets and is markedly faster than
// aligned_alloc there.
void* allocate_aligned(size_t size) {
    if constexpr (alignof(std::max_align_t) >= kBlockAlignment)
        return std::malloc(size);
    else
        return std::aligned_alloc(kBlockAlignment, round_up(size, kBlockAlignment));
}

// A block whose payload of size bytes starts kBlockAlignment bytes in, with
// its word set to owner; null when size is absurd or memory is out.
void* allocate_block(size_t size, Word owner) {
    if (size > SIZE_MAX - 2 * kBlockAlignment) return nullptr;
    auto* raw = static_cast<unsigned char*>(allocate_aligned(kBlockAlignment + size));
    if (raw == nullptr) return nullptr;
    void* payload = raw + kBlockAlignment;
    word_of(payload) = owner;
    return payload;
}

void free_block(void* payload) { std::free(static_cast<unsigned char*>(payload) - kBlockAlignment); }

// Fault injection (Xeq_Host_Alloc_Fail_After): the successes still
// allowed, negative when allocations never fail, and the calls refused.
// The host's libraries are used from one thread, as is this.
struct AllocFaults {
    int allowed = -1;
    int refused = 0;

    // False when this allocation is to fail.
    bool admit() {
        if (allowed < 0) return true;
        if (allowed > 0) {
            --allowed;
            return true;
        }
        ++refused;
        return false;
    }
};

AllocFaults& alloc_faults() {
    static AllocFaults faults;
    return faults;
}

} // namespace

struct KplS_Pmo {
    KplS_Pmo(const char* pool_name, size_t object, size_t slot, int count)
        : name(pool_name), object_size(object), slot_size(slot), block_count(count) {}

    std::string name;
    size_t object_size;
    size_t slot_size;  // word + object, a multiple of kSlotAlignment
    int block_count;
    // Slots of the next chunk: the block count first, then doubling up to
    // kChunkBytes, so a pool of one tree stays small while a pool of a
    // million route records takes few, large chunks instead of a malloc per
    // object.
    size_t next_chunk = static_cast<size_t>(block_count);
    void* free_list = nullptr;  // payloads, threaded through their words
    int live = 0;
    std::vector<void*> chunks;  // kept only so the memory stays reachable

    Word owner() const { return reinterpret_cast<Word>(this) | kLive; }
    void* alloc();
    void release(void* payload);
};

#ifdef KPL_POOLS_ALLOCATE_ONE_BY_ONE
// Under AddressSanitizer each object is its own heap block, so a use after
// kpl_mem_free and a never-released object are reported at the culprit.
void* KplS_Pmo::alloc() {
    void* payload = allocate_block(object_size, owner());
    if (payload != nullptr) ++live;
    return payload;
}

void KplS_Pmo::release(void* payload) {
    --live;
    word_of(payload) = 0;
    free_block(payload);
}
#else
void* KplS_Pmo::alloc() {
    if (free_list == nullptr) {
        const size_t count = next_chunk;
        void* chunk = allocate_aligned(slot_size * count);
        if (chunk == nullptr) return nullptr;
        try {
            chunks.push_back(chunk);
        } catch (const std::bad_alloc&) {
            std::free(chunk);
            return nullptr;
        }
        next_chunk = std::max(next_chunk, std::min(count * 2, kChunkBytes / slot_size));
        // Thread the new slots so that they are handed out in address order.
        auto* bytes = static_cast<unsigned char*>(chunk);
        for (size_t i = count; i-- > 0;) {
            void* payload = bytes + slot_size * i + sizeof(Word);
            word_of(payload) = reinterpret_cast<Word>(free_list);
            free_list = payload;
        }
    }
    void* payload = free_list;
    free_list = reinterpret_cast<void*>(word_of(payload));
    word_of(payload) = owner();
    ++live;
    return payload;
}

void KplS_Pmo::release(void* payload) {
    --live;
    word_of(payload) = reinterpret_cast<Word>(free_list);
    free_list = payload;
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

void* kpl_mem_alloc(size_t size) { return alloc_faults().admit() ? allocate_block(size, kLive) : nullptr; }

void kpl_mem_free(void* block) {
    if (block == nullptr) return;
    const Word owner = word_of(block);
    if ((owner & kLive) == 0) {
        // A pool object released twice would corrupt its free list; refuse it.
        std::fprintf(stderr, "kpl_mem_free: %p is not a live block (released twice?)\n", block);
        return;
    }
    if (owner == kLive) {
        word_of(block) = 0;
        free_block(block);
        return;
    }
    reinterpret_cast<KplS_Pmo*>(owner & ~kLive)->release(block);
}

KplT_Pmo_Handle kpl_pmo_define(const char* name, size_t object_size, int block_count) {
    if (name == nullptr || block_count < 1) return nullptr;
    if (object_size > SIZE_MAX / 2 - 2 * kBlockAlignment) return nullptr;
    const size_t slot_size = sizeof(Word) + round_up(object_size, kSlotAlignment);
    if (slot_size > SIZE_MAX / static_cast<size_t>(block_count)) return nullptr;
    for (KplS_Pmo* pool : pools())
        if (pool->slot_size == slot_size && pool->block_count == block_count &&
            pool->name == name)
            return pool;
    try {
        auto* pool = new KplS_Pmo(name, object_size, slot_size, block_count);
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

void* kpl_pmo_alloc(KplT_Pmo_Handle pool) {
    return pool == nullptr || !alloc_faults().admit() ? nullptr : pool->alloc();
}

void Xeq_Host_Alloc_Fail_After(int successes) { alloc_faults() = AllocFaults{successes < 0 ? -1 : successes, 0}; }

int Xeq_Host_Alloc_Failures(void) { return alloc_faults().refused; }

int kpl_pmo_live_count(KplT_Pmo_Handle pool) { return pool == nullptr ? 0 : pool->live; }

} // extern "C"
