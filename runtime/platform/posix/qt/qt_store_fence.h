// Knowing that the display server has read what was last sent of the windows' stores.
//
// On X11 the toolkit hands a window's store to the server through shared memory. Before the
// store is painted again, its beginPaint() waits for the server to confirm that it has read the
// pixels sent before: a request, a reply read by the toolkit's reader thread, and the two threads
// taking turns, once for every frame of an animation. That wait cost an animating program more
// than drawing its frame.
//
// The fence asks the server the same question as soon as the pixels are sent, and does not wait
// for the answer. By the next frame, a tenth of a second later, the answer is in, and the client's
// pixels are written into the store without the round trip. Until it is in, or whenever the
// toolkit may have sent pixels of its own, the store is painted the toolkit's way.
#pragma once

#include <cstdint>
#include <memory>

#include <QObject>

class QEvent;
class QPaintDevice;

namespace kd508::platform::qt {

// The line to the display server that the fence asks through.
class FenceLink {
public:
    virtual ~FenceLink() = default;
    // Sends, at once, a request that the server answers only after everything sent before it;
    // returns the request's number.
    virtual unsigned ask() = 0;
    // Whether the answer to that request has arrived. An answer is taken once.
    virtual bool answered(unsigned request) = 0;
    // The answer to that request will never be asked for.
    virtual void forget(unsigned request) = 0;
};

class StoreFence final : public QObject {
public:
    explicit StoreFence(std::unique_ptr<FenceLink> link);
    ~StoreFence() override;

    // The fence of the display the application shows on, where it needs one: an X11 display whose
    // screens take pixels in the store's own byte order. Nullptr anywhere else.
    static std::unique_ptr<StoreFence> for_application_display();

    // Pixels of a window's store were just sent to the server.
    void pixels_sent();
    // Whether the store behind store_device may be written without the toolkit's wait: the
    // server reads it from memory shared with it, the fence raised after the last pixels sent
    // is answered, and the toolkit has handled nothing for any window since.
    bool server_caught_up(const QPaintDevice* store_device);

protected:
    // Any event for a window may have the toolkit paint it and send its store; from then on the
    // fence knows nothing until the next pixels_sent().
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool shared_with_server(const QPaintDevice* store_device);

    enum class State {
        unknown,    // the toolkit may have sent pixels the fence did not see
        waiting,    // asked after the last pixels sent, not answered yet
        caught_up,  // answered, nothing sent since
    };

    std::unique_ptr<FenceLink> link_;
    State state_ = State::unknown;
    unsigned request_ = 0;  // the question asked, while waiting
    const void* checked_pixels_ = nullptr;  // the store memory last looked at
    bool checked_pixels_shared_ = false;
};

// Whether an X11 visual of this class and these masks takes pixels in the byte order of the
// toolkit's 32-bit images, 0x??RRGGBB words. On any other the toolkit reorders the bytes of a store
// when its painting ends, so that painting cannot be left out.
bool is_xrgb_visual(int visual_class, std::uint32_t red, std::uint32_t green, std::uint32_t blue);

// Whether the memory at address is mapped shared, as the stores the server reads are. A store the
// toolkit keeps in memory of its own is sent as pixels, only those it painted its own way.
bool in_shared_mapping(const void* address);

}  // namespace kd508::platform::qt
