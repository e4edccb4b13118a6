// Typed, generation-counted handles.
//
// A handle is a slot index, a kind tag and the slot's generation packed into a pointer-sized
// value, so a stale handle (its slot reused) or a foreign one (another kind, or a made-up value)
// is recognised and refused, never dereferenced. Objects live behind unique_ptr so that their
// addresses stay put while window procedures create further objects during a call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace kd508::platform {

enum class HandleKind : std::uint8_t {
    window = 1,
    device_context = 2,
    gdi_object = 3,
    menu = 4,
    global_block = 5,
    instance = 6,
};

namespace handle_bits {
inline constexpr std::uint64_t index_mask = 0x00FF'FFFF;
inline constexpr int kind_shift = 24;
inline constexpr int generation_shift = 32;
}  // namespace handle_bits

template <class Object, HandleKind Kind>
class HandlePool {
public:
    // Stores the object and returns its handle, never null.
    void* insert(std::unique_ptr<Object> object) {
        const std::uint32_t index = take_free_slot();
        Slot& slot = slots_[index];
        if (slot.storage) --spare_count_;  // the kept storage gives way to the object's own
        slot.storage = std::move(object);
        return occupy(index);
    }

    // Stores a copy of the value and returns its handle, never null. The storage of an object
    // erased earlier is reused, so that objects created and deleted in every call (pens,
    // brushes) cost no allocation once the pool has warmed up.
    void* insert_value(Object&& value) {
        const std::uint32_t index = take_free_slot();
        Slot& slot = slots_[index];
        if (slot.storage) {
            *slot.storage = std::move(value);
            --spare_count_;
        } else {
            slot.storage = std::make_unique<Object>(std::move(value));
        }
        return occupy(index);
    }

    // The object a handle names, or null when the handle is null, stale or of another kind.
    Object* find(const void* handle) const {
        const std::size_t index = live_index(handle);
        return index == no_slot ? nullptr : slots_[index].storage.get();
    }

    // Removes the object; false when the handle names none.
    bool erase(const void* handle) {
        const std::size_t index = live_index(handle);
        if (index == no_slot) return false;
        // The handle goes stale first, so that nothing the object's release does can reach it.
        slots_[index].handle = vacant(generation_of(slots_[index].handle) + 1);
        --live_;
        if (spare_count_ < kept_spares) {
            // What the object holds is released now, as if it were destroyed; only its storage
            // stays in the slot, for the next insert_value that takes the slot.
            { [[maybe_unused]] const Object released = std::move(*slots_[index].storage); }
            ++spare_count_;
        } else {
            slots_[index].storage.reset();
        }
        // Freed slots are taken again last freed first, so that a call which creates and
        // deletes an object keeps using the same slot and storage.
        free_.push_back(static_cast<std::uint32_t>(index));
        return true;
    }

    std::size_t live_count() const { return live_; }

    // Calls visit(handle, object) for every live object, in slot order.
    template <class Visit>
    void for_each(Visit&& visit) const {
        for (const Slot& slot : slots_) {
            if (is_live(slot.handle)) visit(as_pointer(slot.handle), *slot.storage);
        }
    }

private:
    // Sixteen bytes, so that finding a slot takes a shift rather than a multiplication.
    struct Slot {
        // The live object, or the storage an erased one left behind for reuse, or null.
        std::unique_ptr<Object> storage;
        // The handle of the live object, so that a handle is checked with one comparison; while
        // the slot is vacant, the generation its next object gets, with no slot number.
        std::uint64_t handle = vacant(1);
    };

    // The index of a free slot, taken off the free list or added.
    std::uint32_t take_free_slot() {
        if (!free_.empty()) {
            const std::uint32_t index = free_.back();
            free_.pop_back();
            return index;
        }
        slots_.push_back(Slot{});
        return static_cast<std::uint32_t>(slots_.size() - 1);
    }

    void* occupy(std::uint32_t index) {
        Slot& slot = slots_[index];
        slot.handle = vacant(generation_of(slot.handle)) | (static_cast<std::uint64_t>(index) + 1);
        ++live_;
        return as_pointer(slot.handle);
    }

    // A handle's value without its slot number: what a vacant slot holds. No handle passes for
    // it, since slot number 0 is refused before any slot is looked at.
    static constexpr std::uint64_t vacant(std::uint32_t generation) {
        return (static_cast<std::uint64_t>(generation) << handle_bits::generation_shift) |
               (static_cast<std::uint64_t>(Kind) << handle_bits::kind_shift);
    }
    static constexpr std::uint32_t generation_of(std::uint64_t handle) {
        return static_cast<std::uint32_t>(handle >> handle_bits::generation_shift);
    }
    static constexpr bool is_live(std::uint64_t handle) { return (handle & handle_bits::index_mask) != 0; }
    static void* as_pointer(std::uint64_t handle) { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(handle)); }

    static constexpr std::size_t no_slot = SIZE_MAX;

    // The slot index of a live handle of this pool, or no_slot. Every drawing call looks up a
    // device context and often an object, hundreds of times a frame: the slot's own handle
    // checks the kind, the generation and that the slot is live in one comparison.
    std::size_t live_index(const void* handle) const {
        const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
        // Slot number 0 (a made-up value, or what a vacant slot holds) wraps to the largest
        // index, beyond every pool.
        const std::uint64_t index = (value & handle_bits::index_mask) - 1;
        if (index >= slots_.size() || slots_[index].handle != value) return no_slot;
        return static_cast<std::size_t>(index);
    }

    // Erased objects whose storage is kept for reuse; a few are enough for the objects a call
    // creates and deletes.
    static constexpr std::size_t kept_spares = 8;

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> free_;  // free slots' indices, the last freed at the back
    std::size_t spare_count_ = 0;
    std::size_t live_ = 0;
};

}  // namespace kd508::platform
