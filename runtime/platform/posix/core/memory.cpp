// Movable global memory blocks. The handle is never the block's address: GlobalLock hands the
// address out, and a handle that was freed is refused rather than followed.
#include "layer_counters.h"
#include "platform_state.h"

using namespace kd508::platform;

namespace {
GlobalBlock* find_block(HGLOBAL block) { return platform_state().memory.blocks.find(block); }
}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    auto block = std::make_unique<GlobalBlock>();
    try {
        // A zero-byte block still gets an address to lock.
        block->bytes.assign(bytes == 0 ? 1 : bytes, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    block->flags = flags;
    return platform_state().memory.blocks.insert(std::move(block));
}

LPVOID WINAPI GlobalLock(HGLOBAL handle) {
    GlobalBlock* block = find_block(handle);
    if (!block) return nullptr;
    ++block->lock_count;
    return block->bytes.data();
}

BOOL WINAPI GlobalUnlock(HGLOBAL handle) {
    GlobalBlock* block = find_block(handle);
    if (!block || block->lock_count == 0) return FALSE;
    --block->lock_count;
    return block->lock_count > 0 ? TRUE : FALSE;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL handle) {
    // Success is a null result; the handle itself comes back on failure.
    return platform_state().memory.blocks.erase(handle) ? nullptr : handle;
}

SIZE_T WINAPI GlobalSize(HGLOBAL handle) {
    GlobalBlock* block = find_block(handle);
    return block ? block->bytes.size() : 0;
}

std::size_t kd508::platform::live_global_block_count() { return platform_state().memory.blocks.live_count(); }
