// Objects of the nbx classes live in host object pools, one pool per class,
// named after the class. A class opts in with NBX_POOLED in its body and
// NBX_POOL_DEFINE(Class, block count) in one source file.
//
// operator new is noexcept: the plug-in throws nothing across the host, so
// a new-expression yields null when memory runs out and callers check it.
// A derived class that does not opt in inherits its base's operator new with
// a larger size; such sizes come from the host allocator instead of the
// pool, and every object goes back through kpl_mem_free either way.
#pragma once

#include <cstddef>

#include "kpllib.h"

namespace nbx {

// Storage for size bytes: an object of pool when size is the pool's object
// size, else a plain host block. Null when memory is exhausted.
void* pool_alloc(KplT_Pmo_Handle pool, std::size_t pool_object_size, std::size_t size) noexcept;

} // namespace nbx

#define NBX_POOLED                                                                  \
    static void* operator new(std::size_t size) noexcept;                           \
    static void operator delete(void* object) noexcept { kpl_mem_free(object); }

// The pool is defined on first use; defining it again (a plug-in loaded a
// second time) gives the host's existing pool.
#define NBX_POOL_DEFINE(Class, block_count)                                         \
    void* Class::operator new(std::size_t size) noexcept {                          \
        static const KplT_Pmo_Handle pool = kpl_pmo_define(#Class, sizeof(Class), block_count); \
        return nbx::pool_alloc(pool, sizeof(Class), size);                          \
    }
