// A presenter without a screen, for tests: a virtual clock, scheduled actions, and a record of
// what a screen would have been told.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "presenter.h"

namespace kd508::headless {

class HeadlessPresenter final : public platform::Presenter {
public:
    explicit HeadlessPresenter(platform::ScreenSize screen);

    void attach(platform::InputSink& sink) override { sink_ = &sink; }
    platform::ScreenSize screen_size() const override { return screen_; }
    void create_window(platform::PresenterWindowId window, const platform::PresenterWindowDescription& description) override;
    void show_window(platform::PresenterWindowId window, bool visible) override;
    void destroy_window(platform::PresenterWindowId window) override;
    void set_menu(platform::PresenterWindowId window, const std::vector<platform::MenuEntry>& menu_bar) override;
    void client_changed(platform::PresenterWindowId window, const platform::ClientImage& image,
                        const platform::ClientArea& changed) override;
    bool reads_client_pixels() const override { return reads_client_pixels_; }
    std::int64_t now_ms() override { return now_ms_; }
    void poll() override;
    void wait(std::optional<std::int64_t> deadline_ms) override;

    struct ShownWindow {
        platform::PresenterWindowDescription description;
        bool visible = false;
        bool destroyed = false;
        std::vector<platform::MenuEntry> menu_bar;
        std::int64_t frames = 0;
    };

    platform::InputSink& sink() { return *sink_; }
    const ShownWindow* window(platform::PresenterWindowId id) const;
    void advance(std::int64_t milliseconds) { now_ms_ += milliseconds; }
    void schedule(std::int64_t time_ms, std::function<void()> action);
    void set_stall_limit(std::int64_t time_ms) { stall_limit_ms_ = time_ms; }
    void set_reads_client_pixels(bool reads) { reads_client_pixels_ = reads; }
    std::int64_t polls() const { return polls_; }
    std::int64_t waits() const { return waits_; }

private:
    bool run_due_actions();

    platform::ScreenSize screen_;
    platform::InputSink* sink_ = nullptr;
    std::map<platform::PresenterWindowId, ShownWindow> windows_;
    std::multimap<std::int64_t, std::function<void()>> actions_;
    std::int64_t now_ms_ = 0;
    std::int64_t stall_limit_ms_;
    bool reads_client_pixels_ = false;
    std::int64_t polls_ = 0;
    std::int64_t waits_ = 0;
    std::int64_t polls_without_progress_ = 0;
};

}  // namespace kd508::headless
