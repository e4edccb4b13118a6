// Passes the toolkit's input on to the layer and notes that something arrived, so that a wait
// for input knows when to return.
#pragma once

#include "presenter.h"

namespace kd508::platform::qt {

class InputRelay final : public InputSink {
public:
    void attach(InputSink& layer) { layer_ = &layer; }

    // True once some input has gone to the layer since the last call.
    bool take_delivered() {
        const bool was = delivered_;
        delivered_ = false;
        return was;
    }

    // Something other than input needs the layer's attention (a termination signal).
    void wake() { delivered_ = true; }

    void key(PresenterWindowId window, bool down, unsigned virtual_key, unsigned char character,
             bool auto_repeat) override {
        if (arrived()) layer_->key(window, down, virtual_key, character, auto_repeat);
    }
    void left_button_down(PresenterWindowId window, int client_x, int client_y) override {
        if (arrived()) layer_->left_button_down(window, client_x, client_y);
    }
    void close_requested(PresenterWindowId window) override {
        if (arrived()) layer_->close_requested(window);
    }
    void menu_chosen(PresenterWindowId window, unsigned command) override {
        if (arrived()) layer_->menu_chosen(window, command);
    }
    void client_resized(PresenterWindowId window, int client_width, int client_height) override {
        if (arrived()) layer_->client_resized(window, client_width, client_height);
    }
    void exposed(PresenterWindowId window) override {
        if (arrived()) layer_->exposed(window);
    }
    void keyboard_focus_lost() override {
        if (arrived()) layer_->keyboard_focus_lost();
    }

private:
    // Input that comes before the layer attached has nowhere to go and is dropped.
    bool arrived() {
        if (layer_ == nullptr) return false;
        delivered_ = true;
        return true;
    }

    InputSink* layer_ = nullptr;
    bool delivered_ = false;
};

}  // namespace kd508::platform::qt
