// The handle pool on its own: which handles it refuses, and that a slot's storage is reused
// without keeping what an erased object held.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <tuple>
#include <utility>
#include <vector>

#include "core/handle_pool.h"

namespace {

using kd508::platform::HandleKind;
using kd508::platform::HandlePool;

// An object that holds something, so that a test can see when it is let go.
struct Held {
    std::shared_ptr<int> resource;
    int value = 0;
};

using PenPool = HandlePool<Held, HandleKind::gdi_object>;
using MenuPool = HandlePool<Held, HandleKind::menu>;

void* made_up(std::uint64_t generation, std::uint64_t kind, std::uint64_t slot_number) {
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>((generation << 32) | (kind << 24) | slot_number));
}

TEST(HandlePool, StaleForeignAndMadeUpHandlesFindNothing) {
    PenPool pool;
    void* first = pool.insert_value(Held{nullptr, 1});
    void* second = pool.insert_value(Held{nullptr, 2});
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(pool.find(first)->value, 1);
    EXPECT_EQ(pool.find(second)->value, 2);

    EXPECT_TRUE(pool.erase(first));
    EXPECT_EQ(pool.find(first), nullptr) << "erased";
    EXPECT_FALSE(pool.erase(first)) << "erased twice";
    void* reused = pool.insert_value(Held{nullptr, 3});
    EXPECT_NE(reused, first) << "the slot is reused under a new generation";
    EXPECT_EQ(pool.find(first), nullptr) << "the old handle stays stale after its slot is reused";
    EXPECT_FALSE(pool.erase(first));
    EXPECT_EQ(pool.find(reused)->value, 3);
    EXPECT_EQ(pool.find(second)->value, 2) << "erasing and reusing one slot leaves the others";

    // The same slot and generation under another kind, and values no pool handed out.
    MenuPool menus;
    void* menu = menus.insert_value(Held{nullptr, 4});
    EXPECT_EQ(pool.find(menu), nullptr);
    EXPECT_EQ(menus.find(second), nullptr);
    EXPECT_FALSE(menus.erase(second));
    const auto gdi = static_cast<std::uint64_t>(HandleKind::gdi_object);
    EXPECT_EQ(pool.find(nullptr), nullptr);
    EXPECT_EQ(pool.find(made_up(1, gdi, 0)), nullptr) << "slot number 0";
    EXPECT_EQ(pool.find(made_up(1, gdi, 3)), nullptr) << "one past the last slot";
    EXPECT_EQ(pool.find(made_up(1, gdi, 0xFFFFFF)), nullptr) << "the largest slot number";
    EXPECT_EQ(pool.find(made_up(0, gdi, 2)), nullptr) << "a live slot under a generation it never had";
    EXPECT_EQ(made_up(1, gdi, 2), second) << "the handle packs generation, kind and slot number";
    EXPECT_EQ(pool.find(made_up(1, gdi, 2)), pool.find(second));
    EXPECT_EQ(pool.find(reinterpret_cast<void*>(~std::uintptr_t{0})), nullptr);
    EXPECT_EQ(pool.live_count(), 2u);
}

// Each kind of handle has a tag of its own: a pool finds none of the other kinds' handles, even
// for the same slot and generation.
template <HandleKind... Kinds>
void expect_each_kind_refused_by_the_others() {
    std::tuple<HandlePool<Held, Kinds>...> pools;
    std::vector<void*> handles;
    std::apply([&](auto&... pool) { (handles.push_back(pool.insert_value(Held{})), ...); }, pools);
    std::size_t owner = 0;
    const auto expect_only_own = [&](const auto& pool) {
        for (std::size_t k = 0; k < handles.size(); ++k) {
            EXPECT_EQ(pool.find(handles[k]) != nullptr, k == owner) << "pool " << owner << ", handle " << k;
        }
        ++owner;
    };
    std::apply([&](const auto&... pool) { (expect_only_own(pool), ...); }, pools);
}

TEST(HandlePool, EachKindOfHandleIsRefusedByThePoolsOfTheOthers) {
    expect_each_kind_refused_by_the_others<HandleKind::window, HandleKind::device_context, HandleKind::gdi_object,
                                           HandleKind::menu, HandleKind::global_block, HandleKind::instance>();
}

TEST(HandlePool, ErasingReleasesWhatTheObjectHeldAndKeepsOnlyItsStorage) {
    PenPool pool;
    auto resource = std::make_shared<int>(7);
    void* handle = pool.insert_value(Held{resource, 1});
    const Held* storage = pool.find(handle);
    EXPECT_EQ(resource.use_count(), 2);
    ASSERT_TRUE(pool.erase(handle));
    EXPECT_EQ(resource.use_count(), 1) << "released at erasure, not when the storage is reused";

    // Created and deleted in every call: the same storage each time, nothing allocated.
    for (int i = 0; i < 3; ++i) {
        void* again = pool.insert_value(Held{nullptr, 10 + i});
        EXPECT_EQ(pool.find(again), storage);
        EXPECT_EQ(pool.find(again)->value, 10 + i);
        EXPECT_EQ(pool.find(again)->resource, nullptr) << "nothing of the erased object shows through";
        ASSERT_TRUE(pool.erase(again));
    }

    // An object inserted with its own storage keeps that storage.
    auto own = std::make_unique<Held>(Held{resource, 20});
    const Held* own_address = own.get();
    void* inserted = pool.insert(std::move(own));
    EXPECT_EQ(pool.find(inserted), own_address);
    EXPECT_EQ(pool.find(inserted)->value, 20);
    EXPECT_EQ(resource.use_count(), 2);
    ASSERT_TRUE(pool.erase(inserted));
    EXPECT_EQ(resource.use_count(), 1);
}

TEST(HandlePool, ManyObjectsErasedAtOnceAllComeBackIntact) {
    // More objects than the pool keeps storage for, erased in an order unlike their creation.
    PenPool pool;
    std::vector<void*> handles;
    auto resource = std::make_shared<int>(0);
    for (int i = 0; i < 40; ++i) handles.push_back(pool.insert_value(Held{resource, i}));
    EXPECT_EQ(resource.use_count(), 41);
    for (std::size_t i = 0; i < handles.size(); i += 2) ASSERT_TRUE(pool.erase(handles[i]));
    for (std::size_t i = 1; i < handles.size(); i += 2) EXPECT_EQ(pool.find(handles[i])->value, static_cast<int>(i));
    EXPECT_EQ(resource.use_count(), 21);
    EXPECT_EQ(pool.live_count(), 20u);

    std::vector<void*> refilled;
    for (int i = 0; i < 30; ++i) refilled.push_back(pool.insert_value(Held{nullptr, 100 + i}));
    for (int i = 0; i < 30; ++i) EXPECT_EQ(pool.find(refilled[static_cast<std::size_t>(i)])->value, 100 + i);
    for (std::size_t i = 0; i < handles.size(); i += 2) EXPECT_EQ(pool.find(handles[i]), nullptr);

    // Every live object is visited once, in slot order, under the handle that finds it.
    std::size_t visited = 0;
    std::uintptr_t last_slot = 0;
    pool.for_each([&](void* handle, const Held& object) {
        EXPECT_EQ(pool.find(handle), &object);
        const std::uintptr_t slot = reinterpret_cast<std::uintptr_t>(handle) & 0xFFFFFF;
        EXPECT_GT(slot, last_slot);
        last_slot = slot;
        ++visited;
    });
    EXPECT_EQ(visited, 50u);
    EXPECT_EQ(pool.live_count(), 50u);
}

}  // namespace
