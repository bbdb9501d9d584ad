#include "ipspace/pool.hpp"

namespace nbx {

void* pool_alloc(KplT_Pmo_Handle pool, std::size_t pool_object_size, std::size_t size) noexcept {
    if (pool != nullptr && size == pool_object_size) return kpl_pmo_alloc(pool);
    return kpl_mem_alloc(size);
}

} // namespace nbx
