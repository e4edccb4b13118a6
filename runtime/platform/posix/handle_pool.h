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
        std::uint32_t index;
        if (!free_.empty()) {
            index = free_.back();
            free_.pop_back();
        } else {
            index = static_cast<std::uint32_t>(slots_.size());
            slots_.push_back(Slot{});
        }
        slots_[index].object = std::move(object);
        ++live_;
        return encode(index, slots_[index].generation);
    }

    // Stores a copy of the value and returns its handle, never null. The storage of an object
    // erased earlier is reused, so that objects created and deleted in every call (pens,
    // brushes) cost no allocation once the pool has warmed up.
    void* insert_value(Object&& value) {
        if (spares_.empty()) return insert(std::make_unique<Object>(std::move(value)));
        std::unique_ptr<Object> storage = std::move(spares_.back());
        spares_.pop_back();
        *storage = std::move(value);
        return insert(std::move(storage));
    }

    // The object a handle names, or null when the handle is null, stale or of another kind.
    Object* find(const void* handle) const {
        const auto index = decode(handle);
        if (index < 0) return nullptr;
        return slots_[static_cast<std::size_t>(index)].object.get();
    }

    // Removes the object; false when the handle names none.
    bool erase(const void* handle) {
        const auto index = decode(handle);
        if (index < 0 || !slots_[static_cast<std::size_t>(index)].object) return false;
        Slot& slot = slots_[static_cast<std::size_t>(index)];
        if (spares_.size() < kept_spares) {
            // What the object holds is released now, as if it were destroyed; only its storage
            // is kept for the next insert_value.
            { [[maybe_unused]] const Object released = std::move(*slot.object); }
            spares_.push_back(std::move(slot.object));
        }
        slot.object.reset();
        ++slot.generation;
        free_.push_back(static_cast<std::uint32_t>(index));
        --live_;
        return true;
    }

    std::size_t live_count() const { return live_; }

    // Calls visit(handle, object) for every live object, in slot order.
    template <class Visit>
    void for_each(Visit&& visit) const {
        for (std::size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i].object) {
                visit(encode(static_cast<std::uint32_t>(i), slots_[i].generation), *slots_[i].object);
            }
        }
    }

private:
    struct Slot {
        std::unique_ptr<Object> object;
        std::uint32_t generation = 1;
    };

    static void* encode(std::uint32_t index, std::uint32_t generation) {
        const std::uint64_t value = (static_cast<std::uint64_t>(generation) << handle_bits::generation_shift) |
                                    (static_cast<std::uint64_t>(Kind) << handle_bits::kind_shift) |
                                    (static_cast<std::uint64_t>(index) + 1);
        return reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
    }

    // The slot index of a live handle of this pool, or -1.
    std::int64_t decode(const void* handle) const {
        const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
        if (((value >> handle_bits::kind_shift) & 0xFF) != static_cast<std::uint64_t>(Kind)) return -1;
        const std::uint64_t slot_number = value & handle_bits::index_mask;
        if (slot_number == 0 || slot_number > slots_.size()) return -1;
        const std::size_t index = slot_number - 1;
        if (static_cast<std::uint32_t>(value >> handle_bits::generation_shift) != slots_[index].generation) return -1;
        if (!slots_[index].object) return -1;
        return static_cast<std::int64_t>(index);
    }

    // Storage kept for reuse; a few are enough for the objects a call creates and deletes.
    static constexpr std::size_t kept_spares = 8;

    std::vector<Slot> slots_;
    std::vector<std::uint32_t> free_;
    std::vector<std::unique_ptr<Object>> spares_;
    std::size_t live_ = 0;
};

}  // namespace kd508::platform
