#include "qt_client_widget.h"

#include <cmath>
#include <utility>

#include <QBackingStore>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QWindow>

#include "qt_client_pixels.h"
#include "qt_key_mapping.h"
#include "qt_store_fence.h"
#include "qt_windows_1252.h"

namespace kd508::platform::qt {
namespace {

// Both window classes of the program erase with white; parts of the widget that the layer's
// buffer does not cover yet (right after the user enlarged a window) show the same.
const QColor uncovered_client_colour = Qt::white;

// The shortest time between two requests to paint: about one refresh of a screen. A program
// that draws faster than that, as a script played back does with every event, would otherwise
// have every frame painted and sent to the display, most of them never to be seen.
constexpr int shortest_paint_interval_ms = 16;

}  // namespace

ClientWidget::ClientWidget(PresenterWindowId window, InputSink& input, QSize client_size,
                           bool resizable, StoreFence* fence, QWidget* parent)
    : QWidget(parent), window_(window), input_(input), fence_(fence), follows_layer_size_(!resizable),
      reported_size_(client_size) {
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel is painted from the layer's buffer, so the toolkit need not erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    paint_request_timer_.setSingleShot(true);
    QObject::connect(&paint_request_timer_, &QTimer::timeout, this, [this] { paint_unpainted(); });
    if (resizable) {
        setMinimumSize(1, 1);
        resize(client_size);
    } else {
        setFixedSize(client_size);
    }
}

void ClientWidget::show_client(const ClientImage& image, const ClientArea& changed) {
    // A window the user cannot resize has the client size the layer gives it: adding a menu
    // bar, for one, takes its height from the client area.
    const QSize image_size(image.width, image.height);
    if (follows_layer_size_ && image_size != size()) {
        reported_size_ = image_size;
        setFixedSize(image_size);
    }
    // Painting happens later, when the layer next hands control to the toolkit or the next
    // screen refresh is due, from the layer's buffer itself: the layer tells of every change
    // right after making it and of a new buffer as soon as it has one, and painting happens only
    // between the layer's calls, so what is painted is always what it was last told of.
    const bool new_size = image.width != image_.width || image.height != image_.height;
    const QRect shown_before(QPoint(0, 0), QSize(image_.width, image_.height));
    image_ = image;
    if (image.pixels == nullptr || new_size) {
        request_paint(shown_before.united(QRect(QPoint(0, 0), image_size)));
        return;
    }
    request_paint(client_area_in(image, changed));
}

void ClientWidget::request_paint(const QRegion& area) {
    unpainted_ += area;
    if (paint_due_ || paint_request_timer_.isActive()) return;
    const qint64 waited = since_paint_.isValid() ? since_paint_.elapsed() : shortest_paint_interval_ms;
    if (waited >= shortest_paint_interval_ms) {
        paint_due_ = true;
    } else {
        paint_request_timer_.start(static_cast<int>(shortest_paint_interval_ms - waited));
    }
}

void ClientWidget::paint_due_changes() {
    if (paint_due_) paint_unpainted();
}

void ClientWidget::paint_unpainted() {
    paint_due_ = false;
    const QRegion area = std::exchange(unpainted_, QRegion()).intersected(rect());
    since_paint_.start();
    if (area.isEmpty() || write_into_window_store(area)) return;
    // Painted at once instead of asked for with a posted request: the request would make the
    // event loop wake itself through its wake-up descriptor and take one more pass to deliver
    // it, for every frame of an animation. The layer calls here only between its own calls, or
    // the paint timer does from the event loop, so the buffer holds what it was last told of.
    repaint(area);
    // The toolkit sent the store's pixels itself.
    if (fence_ != nullptr) fence_->pixels_sent();
}

bool ClientWidget::write_into_window_store(const QRegion& area) {
    // The widget's own painting paints the parts the buffer does not cover, and waits for a
    // window that is not on the screen; a scaled store needs the painter to enlarge the pixels.
    if (!client_area_in(image_, ClientArea{0, 0, image_.width, image_.height}).contains(area.boundingRect())) {
        return false;
    }
    QWidget* top_level = window();
    QWindow* shown_on = top_level->windowHandle();
    QBackingStore* store = backingStore();
    // A store that has not yet taken the window's new size is resized by the toolkit's own
    // painting, before it paints.
    if (shown_on == nullptr || !shown_on->isExposed() || store == nullptr || !isVisible() || !updatesEnabled() ||
        store->size() != top_level->size() || top_level->devicePixelRatioF() != 1.0) {
        return false;
    }
    // The client is opaque and nothing lies over it inside its window, so its pixels in the
    // window's store are the layer's pixels and nothing else: they are written there and sent to
    // the screen directly. The toolkit's own painting would reach the same pixels through a
    // paint event, a painter and its bookkeeping of dirty areas, a tenth of an animation's time.
    const QPoint offset = mapTo(top_level, QPoint(0, 0));
    const QRegion window_area = area.translated(offset);
    // Once the server has read what was sent before, the store is written as it stands: its
    // painting would only wait for the server to say so again (qt_store_fence.h). The store of a
    // window with an alpha channel is painted the toolkit's way, which clears what it paints first.
    const bool server_caught_up =
        fence_ != nullptr && !shown_on->format().hasAlpha() && fence_->server_caught_up(store->paintDevice());
    if (!server_caught_up) store->beginPaint(window_area);
    QPaintDevice* device = store->paintDevice();
    auto* target = device != nullptr && device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
    const bool writable = target != nullptr && takes_client_pixels(*target);
    if (writable) {
        for (const QRect& part : area) write_client_pixels(image_, part, *target, offset);
    }
    if (!server_caught_up) store->endPaint();
    if (!writable) return false;
    store->flush(window_area, shown_on);
    if (fence_ != nullptr) fence_->pixels_sent();
    return true;
}

void ClientWidget::forget_client() {
    image_ = ClientImage{};
    paint_request_timer_.stop();
    paint_due_ = false;
    unpainted_ = QRegion();
    update();
}

void ClientWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    // Client pixels map one to one onto logical pixels; on a scaled screen the toolkit enlarges
    // them, and without smoothing they stay crisp.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect image_rect = client_area_in(image_, ClientArea{0, 0, image_.width, image_.height});
    const QRect area = event->rect();
    if (!image_rect.contains(area)) painter.fillRect(area, uncovered_client_colour);
    paint_client_pixels(painter, image_, area, opaque_rows_);
}

void ClientWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPointF position = event->position();
    input_.left_button_down(window_, static_cast<int>(std::floor(position.x())),
                            static_cast<int>(std::floor(position.y())));
}

void ClientWidget::keyPressEvent(QKeyEvent* event) { send_key(event, true); }

void ClientWidget::keyReleaseEvent(QKeyEvent* event) { send_key(event, false); }

void ClientWidget::send_key(QKeyEvent* event, bool down) {
    const ToolkitKey key{event->key(), event->nativeScanCode(),
                         event->modifiers().testFlag(Qt::KeypadModifier)};
    const unsigned virtual_key = windows_virtual_key(key);
    const unsigned char character = windows_1252_character(event->text());
    if (virtual_key == 0 && character == 0) return;
    input_.key(window_, down, virtual_key, character, event->isAutoRepeat());
}

void ClientWidget::focusOutEvent(QFocusEvent* event) {
    // A popup menu or another application takes the key releases that follow, so the layer
    // must forget which keys it believes are held.
    input_.keyboard_focus_lost();
    QWidget::focusOutEvent(event);
}

void ClientWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (size() == reported_size_) return;
    reported_size_ = size();
    // The old pixels no longer fit the client; the layer gives it new ones of the new size
    // while it hears of the resize.
    image_ = ClientImage{};
    input_.client_resized(window_, width(), height());
}

void ClientWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Told from the event loop, not from inside the layer's own call that showed the window.
    QMetaObject::invokeMethod(this, [this] { input_.exposed(window_); }, Qt::QueuedConnection);
}

bool ClientWidget::focusNextPrevChild(bool) { return false; }

}  // namespace kd508::platform::qt
