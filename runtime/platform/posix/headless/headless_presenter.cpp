#include "headless_presenter.h"

#include <string>

#include "headless_driver.h"

namespace kd508::headless {

namespace {
// How far a test may let the virtual clock run before a wait counts as hung.
inline constexpr std::int64_t default_stall_limit_ms = 10 * 60 * 1000;
// Polls in a row with no wait and no input in between: the virtual clock stands still while a
// caller spins, so a loop that never waits would otherwise never see time pass.
inline constexpr std::int64_t spinning_poll_limit = 5'000'000;
}  // namespace

HeadlessPresenter::HeadlessPresenter(platform::ScreenSize screen)
    : screen_(screen), stall_limit_ms_(default_stall_limit_ms) {}

void HeadlessPresenter::create_window(platform::PresenterWindowId id,
                                      const platform::PresenterWindowDescription& description) {
    ShownWindow shown;
    shown.description = description;
    windows_[id] = std::move(shown);
}

void HeadlessPresenter::show_window(platform::PresenterWindowId id, bool visible) { windows_[id].visible = visible; }

void HeadlessPresenter::destroy_window(platform::PresenterWindowId id) {
    windows_[id].destroyed = true;
    windows_[id].visible = false;
}

void HeadlessPresenter::set_menu(platform::PresenterWindowId id, const std::vector<platform::MenuEntry>& menu_bar) {
    windows_[id].menu_bar = menu_bar;
}

void HeadlessPresenter::client_changed(platform::PresenterWindowId id, const platform::ClientImage&,
                                       const platform::ClientArea&) {
    ++windows_[id].frames;
}

const HeadlessPresenter::ShownWindow* HeadlessPresenter::window(platform::PresenterWindowId id) const {
    auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : &found->second;
}

void HeadlessPresenter::schedule(std::int64_t time_ms, std::function<void()> action) {
    actions_.emplace(time_ms, std::move(action));
}

bool HeadlessPresenter::run_due_actions() {
    bool ran = false;
    while (!actions_.empty() && actions_.begin()->first <= now_ms_) {
        auto action = std::move(actions_.begin()->second);
        actions_.erase(actions_.begin());
        action();
        ran = true;
    }
    return ran;
}

void HeadlessPresenter::poll() {
    ++polls_;
    if (run_due_actions()) {
        polls_without_progress_ = 0;
    } else if (++polls_without_progress_ > spinning_poll_limit) {
        throw HeadlessStall("the layer polls again and again without ever waiting");
    }
}

void HeadlessPresenter::wait(std::optional<std::int64_t> deadline_ms) {
    ++waits_;
    polls_without_progress_ = 0;
    if (run_due_actions()) return;
    std::optional<std::int64_t> next = deadline_ms;
    if (!actions_.empty() && (!next || actions_.begin()->first < *next)) next = actions_.begin()->first;
    if (!next) throw HeadlessStall("the layer waits for input, but no timer runs and no input is scheduled");
    if (*next > stall_limit_ms_) {
        throw HeadlessStall("the layer still waits at virtual time " + std::to_string(*next) +
                            " ms, past the stall limit of " + std::to_string(stall_limit_ms_) + " ms");
    }
    if (*next > now_ms_) now_ms_ = *next;
    run_due_actions();
}

}  // namespace kd508::headless
