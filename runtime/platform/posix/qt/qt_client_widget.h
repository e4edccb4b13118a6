// The client area of a top-level window: shows the layer's pixels and turns presses, keys and
// size changes into input for the layer.
#pragma once

#include <QElapsedTimer>
#include <QImage>
#include <QRegion>
#include <QSize>
#include <QTimer>
#include <QWidget>

#include "presenter.h"

namespace kd508::platform::qt {

class StoreFence;

class ClientWidget final : public QWidget {
public:
    // A resizable client takes the size the user gives it; any other takes the layer's. The
    // fence, where the display has one, outlives the widget.
    ClientWidget(PresenterWindowId window, InputSink& input, QSize client_size, bool resizable,
                 StoreFence* fence, QWidget* parent);

    // The layer's buffer changed in the given area. The widget paints from the image until the
    // next call, which the layer makes before it frees or replaces the buffer.
    void show_client(const ClientImage& image, const ClientArea& changed);
    // The layer's buffer is going away: nothing is painted from it any more.
    void forget_client();
    // Paints what the layer has told of and may be shown now. The presenter calls it whenever
    // the layer hands control back to the toolkit, between the layer's own calls.
    void paint_due_changes();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Tab belongs to the program, not to focus navigation.
    bool focusNextPrevChild(bool next) override;

private:
    void send_key(QKeyEvent* event, bool down);
    // Has area painted, at most once per screen refresh.
    void request_paint(const QRegion& area);
    void paint_unpainted();
    // Writes area straight into the window's store and shows it; false where only the widget's
    // own painting can show it.
    bool write_into_window_store(const QRegion& area);

    PresenterWindowId window_;
    InputSink& input_;
    StoreFence* fence_;  // tells when the window's store may be written without the toolkit's wait
    bool follows_layer_size_;
    ClientImage image_;  // the layer's buffer, as last told of
    QImage opaque_rows_;  // a few rows of it at a time, made opaque for painting
    QSize reported_size_;  // the client size the layer knows of
    QRegion unpainted_;  // told of, not yet painted
    bool paint_due_ = false;  // unpainted_ is to be painted when the layer next lets the toolkit run
    QElapsedTimer since_paint_;
    QTimer paint_request_timer_;
};

}  // namespace kd508::platform::qt
