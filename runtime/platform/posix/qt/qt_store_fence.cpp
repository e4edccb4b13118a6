#include "qt_store_fence.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include <QEvent>
#include <QGuiApplication>
#include <QImage>

#include <xcb/xcb.h>
#include <xcb/xcbext.h>

namespace kd508::platform::qt {
namespace {

// The masks of a true-colour visual whose pixels are 0x??RRGGBB words.
constexpr std::uint32_t red_mask = 0x00FF0000u;
constexpr std::uint32_t green_mask = 0x0000FF00u;
constexpr std::uint32_t blue_mask = 0x000000FFu;

class X11FenceLink final : public FenceLink {
public:
    explicit X11FenceLink(xcb_connection_t* connection) : connection_(connection) {}

    // The input focus is the cheapest question with an answer, and the one the toolkit asks too.
    unsigned ask() override {
        const unsigned request = xcb_get_input_focus(connection_).sequence;
        // Sent now: left in the queue, it would go with the next frame's pixels, and its answer
        // would come too late for that frame.
        xcb_flush(connection_);
        return request;
    }

    bool answered(unsigned request) override {
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (xcb_poll_for_reply(connection_, request, &reply, &error) == 0) return false;
        std::free(reply);
        std::free(error);
        return true;
    }

    void forget(unsigned request) override { xcb_discard_reply(connection_, request); }

private:
    xcb_connection_t* connection_;
};

// Whether every screen's default visual is one whose stores need no reordering.
bool screens_take_xrgb(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    bool any_screen = false;
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(setup); screen.rem; xcb_screen_next(&screen)) {
        bool found = false;
        for (xcb_depth_iterator_t depth = xcb_screen_allowed_depths_iterator(screen.data); depth.rem && !found;
             xcb_depth_next(&depth)) {
            for (xcb_visualtype_iterator_t visual = xcb_depth_visuals_iterator(depth.data); visual.rem;
                 xcb_visualtype_next(&visual)) {
                if (visual.data->visual_id != screen.data->root_visual) continue;
                if (!is_xrgb_visual(visual.data->_class, visual.data->red_mask, visual.data->green_mask,
                                    visual.data->blue_mask))
                    return false;
                found = true;
                break;
            }
        }
        if (!found) return false;
        any_screen = true;
    }
    return any_screen;
}

}  // namespace

bool is_xrgb_visual(int visual_class, std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return visual_class == XCB_VISUAL_CLASS_TRUE_COLOR && red == red_mask && green == green_mask && blue == blue_mask;
}

bool in_shared_mapping(const void* address) {
    std::FILE* maps = std::fopen("/proc/self/maps", "re");
    if (maps == nullptr) return false;
    const auto wanted = reinterpret_cast<std::uintptr_t>(address);
    bool shared = false;
    std::uintptr_t begin = 0;
    std::uintptr_t end = 0;
    char permissions[5] = {};
    // Each line: "begin-end perms offset device inode path"; the fourth permission is 's' for a
    // shared mapping and 'p' for a private one.
    while (std::fscanf(maps, "%" SCNxPTR "-%" SCNxPTR " %4s%*[^\n]", &begin, &end, permissions) == 3) {
        if (wanted >= begin && wanted < end) {
            shared = permissions[3] == 's';
            break;
        }
    }
    std::fclose(maps);
    return shared;
}

StoreFence::StoreFence(std::unique_ptr<FenceLink> link) : link_(std::move(link)) {
    if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
}

StoreFence::~StoreFence() {
    if (state_ == State::waiting) link_->forget(request_);
}

std::unique_ptr<StoreFence> StoreFence::for_application_display() {
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection == nullptr || !screens_take_xrgb(connection)) return nullptr;
    return std::make_unique<StoreFence>(std::make_unique<X11FenceLink>(connection));
}

void StoreFence::pixels_sent() {
    if (state_ == State::waiting) link_->forget(request_);
    request_ = link_->ask();
    state_ = State::waiting;
}

bool StoreFence::server_caught_up(const QPaintDevice* store_device) {
    if (!shared_with_server(store_device)) return false;
    if (state_ == State::waiting && link_->answered(request_)) state_ = State::caught_up;
    return state_ == State::caught_up;
}

bool StoreFence::shared_with_server(const QPaintDevice* store_device) {
    if (store_device == nullptr || store_device->devType() != QInternal::Image) return false;
    const void* pixels = static_cast<const QImage*>(store_device)->constBits();
    // A store keeps its memory until it is resized, which is seldom: one look per new memory.
    if (pixels != checked_pixels_) {
        checked_pixels_ = pixels;
        checked_pixels_shared_ = pixels != nullptr && in_shared_mapping(pixels);
    }
    return checked_pixels_shared_;
}

bool StoreFence::eventFilter(QObject* watched, QEvent* event) {
    if (watched->isWindowType() && state_ != State::unknown) {
        if (state_ == State::waiting) link_->forget(request_);
        state_ = State::unknown;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kd508::platform::qt
