// The Qt presenter on a scaled screen (offscreen platform, QT_SCALE_FACTOR set by CTest to 1,
// 1.5 and 2): the client's pixels are enlarged without smoothing, and a press on any device
// pixel reaches the layer as the client pixel that device pixel shows.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>

#include "presenter.h"
#include "qt/qt_client_widget.h"
#include "qt/qt_top_level_window.h"

namespace {

using namespace kd508::platform;

class ClickSink final : public InputSink {
public:
    int x = -1;
    int y = -1;
    void key(PresenterWindowId, bool, unsigned, unsigned char, bool) override {}
    void left_button_down(PresenterWindowId, int client_x, int client_y) override {
        x = client_x;
        y = client_y;
    }
    void close_requested(PresenterWindowId) override {}
    void menu_chosen(PresenterWindowId, unsigned) override {}
    void client_resized(PresenterWindowId, int, int) override {}
    void exposed(PresenterWindowId) override {}
    void keyboard_focus_lost() override {}
};

constexpr int client_width = 40;
constexpr int client_height = 30;
constexpr PresenterWindowId window_id = 1;

// A different colour for every client pixel, so that the pixel a device pixel shows can be told
// from its colour alone.
std::uint32_t colour_of(int x, int y) { return 0x00100000u + static_cast<std::uint32_t>(y * client_width + x) * 0x101u; }

class HighDpiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static char name[] = "qt_high_dpi_test";
        static char* argv[] = {name, nullptr};
        presenter = create_platform_presenter(1, argv).release();
    }
    static void TearDownTestSuite() {
        delete presenter;
        presenter = nullptr;
    }

    HighDpiTest() {
        presenter->attach(sink);
        presenter->create_window(window_id, PresenterWindowDescription{
            "KD508 Graphics", {0, 0, client_width + 6, client_height + 26, 3, 23, client_width, client_height},
            false, {true, true, false, false}});
        presenter->show_window(window_id, true);
        for (int y = 0; y < client_height; ++y) {
            for (int x = 0; x < client_width; ++x) pixels[static_cast<std::size_t>(y * client_width + x)] = colour_of(x, y);
        }
        presenter->client_changed(window_id, ClientImage{pixels.data(), client_width, client_height, client_width},
                                  ClientArea{0, 0, client_width, client_height});
        presenter->poll();
    }
    ~HighDpiTest() override {
        presenter->destroy_window(window_id);
        presenter->poll();
    }

    static qt::ClientWidget& client() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* window = dynamic_cast<qt::TopLevelWindow*>(widget); window && window->isVisible()) {
                return window->client();
            }
        }
        throw std::runtime_error("no window");
    }

    // The client pixel that a device pixel shows, found by its colour.
    static QPoint shown_pixel(const QImage& device, int device_x, int device_y) {
        const std::uint32_t value = device.pixel(device_x, device_y) & 0xFFFFFFu;
        const int index = static_cast<int>((value - colour_of(0, 0)) / 0x101u);
        return QPoint(index % client_width, index / client_width);
    }

    static inline Presenter* presenter = nullptr;
    ClickSink sink;
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(client_width * client_height);
};

double expected_ratio() {
    const char* factor = std::getenv("QT_SCALE_FACTOR");
    return factor ? std::atof(factor) : 1.0;
}

TEST_F(HighDpiTest, TheScreenIsScaledAsAsked) {
    EXPECT_DOUBLE_EQ(client().devicePixelRatioF(), expected_ratio());
    EXPECT_EQ(client().size(), QSize(client_width, client_height));
}

TEST_F(HighDpiTest, EveryDevicePixelShowsOneClientPixelUnblended) {
    const QImage device = client().grab().toImage();
    const double ratio = client().devicePixelRatioF();
    ASSERT_EQ(device.width(), static_cast<int>(std::lround(client_width * ratio)));
    std::set<std::uint32_t> colours;
    for (std::uint32_t pixel : pixels) colours.insert(pixel);
    for (int y = 0; y < device.height(); ++y) {
        for (int x = 0; x < device.width(); ++x) {
            const std::uint32_t value = device.pixel(x, y) & 0xFFFFFFu;
            ASSERT_TRUE(colours.count(value)) << "device pixel " << x << "," << y << " is a blend";
        }
    }
    // Client pixels keep their order and each takes one or two device pixels along each axis
    // (at 1.5 they alternate), none left out.
    for (int x = 0, previous = -1; x < device.width(); ++x) {
        const int shown = shown_pixel(device, x, 0).x();
        EXPECT_TRUE(shown == previous || shown == previous + 1) << "device column " << x;
        previous = shown;
    }
    for (int y = 0, previous = -1; y < device.height(); ++y) {
        const int shown = shown_pixel(device, 0, y).y();
        EXPECT_TRUE(shown == previous || shown == previous + 1) << "device row " << y;
        previous = shown;
    }
    EXPECT_EQ(shown_pixel(device, device.width() - 1, device.height() - 1),
              QPoint(client_width - 1, client_height - 1));
}

TEST_F(HighDpiTest, APressOnADevicePixelReachesTheClientPixelItShows) {
    qt::ClientWidget& widget = client();
    const QImage device = widget.grab().toImage();
    const double ratio = widget.devicePixelRatioF();
    for (int device_x = 0; device_x < device.width(); ++device_x) {
        const int device_y = device_x * device.height() / device.width();
        // The toolkit reports a press on a device pixel at that pixel's corner, in client units.
        const QPointF position(device_x / ratio, device_y / ratio);
        QMouseEvent press(QEvent::MouseButtonPress, position, widget.mapToGlobal(position), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&widget, &press);
        const QPoint shown = shown_pixel(device, device_x, device_y);
        EXPECT_EQ(QPoint(sink.x, sink.y), shown) << "device pixel " << device_x << "," << device_y;
    }
}

}  // namespace
