// The Qt presenter on Qt's offscreen platform: windows, the mirrored menu, input reaching the
// layer, and waits. Nothing here waits for time to pass: every wait either has input already
// queued or a deadline that has passed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QBackingStore>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "presenter.h"
#include "qt/qt_client_pixels.h"
#include "qt/qt_client_widget.h"
#include "qt/qt_event_loop_choice.h"
#include "qt/qt_top_level_window.h"

namespace {

using namespace kd508::platform;

// Input as the layer would receive it, one line per call.
class RecordingSink final : public InputSink {
public:
    std::vector<std::string> calls;

    void key(PresenterWindowId window, bool down, unsigned virtual_key, unsigned char character,
             bool auto_repeat) override {
        add("key " + std::to_string(window) + (down ? " down " : " up ") + std::to_string(virtual_key) +
            " char " + std::to_string(character) + (auto_repeat ? " repeat" : ""));
    }
    void left_button_down(PresenterWindowId window, int x, int y) override {
        add("click " + std::to_string(window) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void close_requested(PresenterWindowId window) override { add("close " + std::to_string(window)); }
    void menu_chosen(PresenterWindowId window, unsigned command) override {
        add("menu " + std::to_string(window) + " " + std::to_string(command));
    }
    void client_resized(PresenterWindowId window, int width, int height) override {
        add("resized " + std::to_string(window) + " " + std::to_string(width) + "x" + std::to_string(height));
    }
    void exposed(PresenterWindowId) override {}  // comes whenever the toolkit shows a window
    void keyboard_focus_lost() override { add("focus lost"); }

private:
    void add(std::string call) { calls.push_back(std::move(call)); }
};

// One application per process, made before the first test and ended after the last one,
// while the toolkit's own globals still exist. The offscreen platform needs no display.
class QtApplicationEnvironment final : public ::testing::Environment {
public:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static char name[] = "qt_presenter_test";
        static char* argv[] = {name, nullptr};
        presenter = create_platform_presenter(1, argv);
    }
    void TearDown() override { presenter.reset(); }

    static inline std::unique_ptr<Presenter> presenter;
};

const ::testing::Environment* const qt_application_environment =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

Presenter& shared_presenter(RecordingSink& sink) {
    QtApplicationEnvironment::presenter->attach(sink);
    return *QtApplicationEnvironment::presenter;
}

MenuEntry command(const char* label, unsigned id, bool checked = false, bool grayed = false) {
    MenuEntry entry;
    entry.label = label;
    entry.command = id;
    entry.checked = checked;
    entry.grayed = grayed;
    return entry;
}

MenuEntry separator() {
    MenuEntry entry;
    entry.kind = MenuEntry::Kind::separator;
    return entry;
}

std::vector<MenuEntry> run_menu(bool logging_checked) {
    MenuEntry popup;
    popup.kind = MenuEntry::Kind::popup;
    popup.label = "&Run";
    popup.children = {command("&Animate\tCtrl+A", 1), separator(),
                      command("&Logging\tCtrl+L", 4, logging_checked),
                      command("KD508 v2.2 July 1997", 9, false, true)};
    return {popup};
}

class QtPresenterTest : public ::testing::Test {
protected:
    static constexpr PresenterWindowId graphics = 1;
    static constexpr PresenterWindowId text = 2;
    static constexpr int client_width = 595;
    static constexpr int client_height = 494;

    QtPresenterTest() : presenter(shared_presenter(sink)) {
        // The frames of WS_CAPTION | WS_SYSMENU and of WS_OVERLAPPEDWINDOW.
        PresenterWindowDescription fixed{"KD508 Graphics", {0, 0, 601, 540, 3, 42, client_width, client_height},
                                         false, {true, true, false, false}};
        PresenterWindowDescription resizable{"KD508 Text", {0, 683, 1280, 341, 3, 26, 1274, 312}, true,
                                             {true, true, true, true}};
        presenter.create_window(graphics, fixed);
        presenter.create_window(text, resizable);
        presenter.show_window(text, true);
        presenter.show_window(graphics, true);
        presenter.poll();
        sink.calls.clear();
    }

    ~QtPresenterTest() override {
        presenter.destroy_window(graphics);
        presenter.destroy_window(text);
        presenter.poll();
    }

    static qt::TopLevelWindow* window_titled(const QString& title) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* window = dynamic_cast<qt::TopLevelWindow*>(widget);
            if (window != nullptr && window->windowTitle() == title && window->isVisible()) return window;
        }
        return nullptr;
    }
    qt::TopLevelWindow& graphics_window() { return *window_titled("KD508 Graphics"); }
    qt::TopLevelWindow& text_window() { return *window_titled("KD508 Text"); }

    QMenu& run_popup() {
        auto* bar = graphics_window().findChild<QMenuBar*>();
        return *bar->actions().at(0)->menu();
    }

    void send_key(QWidget& widget, QEvent::Type type, int key, Qt::KeyboardModifiers modifiers,
                  const QString& text, bool auto_repeat = false) {
        QKeyEvent event(type, key, modifiers, 0, 0, 0, text, auto_repeat);
        QApplication::sendEvent(&widget, &event);
    }

    void send_press(QWidget& widget, QPointF position, Qt::MouseButton button) {
        QMouseEvent event(QEvent::MouseButtonPress, position, widget.mapToGlobal(position), button,
                          button, Qt::NoModifier);
        QApplication::sendEvent(&widget, &event);
    }

    RecordingSink sink;
    Presenter& presenter;
};

TEST_F(QtPresenterTest, MenuShowsLabelsChecksGreyedItemsAndSeparatorsWithoutBindingShortcuts) {
    presenter.set_menu(graphics, run_menu(true));
    auto* bar = graphics_window().findChild<QMenuBar*>();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions().at(0)->text(), QStringLiteral("&Run"));

    const QList<QAction*> items = run_popup().actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&Animate\tCtrl+A"));
    // The shortcut text is only shown: Ctrl+A must still reach the client as a key press.
    EXPECT_TRUE(items[0]->shortcut().isEmpty());
    EXPECT_FALSE(items[0]->isChecked());
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_TRUE(items[2]->isCheckable());
    EXPECT_TRUE(items[2]->isChecked());
    EXPECT_FALSE(items[3]->isEnabled());
    EXPECT_TRUE(items[0]->isEnabled());
}

TEST_F(QtPresenterTest, ChoosingAnItemReportsItsCommandAndOnlyTheLayerMovesTheCheckMark) {
    presenter.set_menu(graphics, run_menu(true));
    QAction* logging = run_popup().actions().at(2);
    logging->trigger();  // the toolkit unchecks it before anyone hears of it
    EXPECT_EQ(sink.calls, std::vector<std::string>{"menu 1 4"});
    EXPECT_TRUE(logging->isChecked());

    // The layer's CheckMenuItem sends the menu again; an open menu keeps its items.
    presenter.set_menu(graphics, run_menu(false));
    EXPECT_EQ(run_popup().actions().at(2), logging);
    EXPECT_FALSE(logging->isChecked());

    run_popup().actions().at(0)->trigger();
    EXPECT_EQ(sink.calls.back(), "menu 1 1");
}

TEST_F(QtPresenterTest, AMenuOfAnotherShapeReplacesTheOldOne) {
    presenter.set_menu(graphics, run_menu(true));
    std::vector<MenuEntry> longer = run_menu(true);
    longer[0].children.push_back(command("&Quit\tCtrl+Q", 8));
    presenter.set_menu(graphics, longer);
    presenter.poll();  // the old bar is deleted later
    ASSERT_EQ(graphics_window().findChildren<QMenuBar*>().size(), 1);
    ASSERT_EQ(run_popup().actions().size(), 5);
    run_popup().actions().at(4)->trigger();
    EXPECT_EQ(sink.calls, std::vector<std::string>{"menu 1 8"});
}

TEST_F(QtPresenterTest, GraphicsWindowOffersNeitherMinimiseNorMaximiseAndKeepsItsSize) {
    qt::TopLevelWindow& window = graphics_window();
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());

    const Qt::WindowFlags text_flags = text_window().windowFlags();
    EXPECT_TRUE(text_flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(text_flags.testFlag(Qt::WindowMinMaxButtonsHint));
    EXPECT_NE(text_window().minimumSize(), text_window().maximumSize());
}

TEST_F(QtPresenterTest, CloseBoxAsksTheLayerAndTheWindowStays) {
    EXPECT_FALSE(graphics_window().close());
    EXPECT_EQ(sink.calls, std::vector<std::string>{"close 1"});
    EXPECT_TRUE(graphics_window().isVisible());
}

TEST_F(QtPresenterTest, LeftPressesArriveInClientPixelsAndOtherButtonsDoNot) {
    qt::ClientWidget& client = graphics_window().client();
    send_press(client, QPointF(10.7, 20.2), Qt::LeftButton);
    send_press(client, QPointF(30, 40), Qt::RightButton);
    EXPECT_EQ(sink.calls, std::vector<std::string>{"click 1 10,20"});
}

TEST_F(QtPresenterTest, KeysArriveWithWindowsCodesAndCharacters) {
    qt::ClientWidget& client = text_window().client();
    send_key(client, QEvent::KeyPress, Qt::Key_Control, Qt::ControlModifier, QString());
    send_key(client, QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QString(QChar(1)));
    send_key(client, QEvent::KeyRelease, Qt::Key_A, Qt::ControlModifier, QString(QChar(1)));
    send_key(client, QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString(QChar(0xE9)), true);
    EXPECT_EQ(sink.calls, (std::vector<std::string>{"key 2 down 17 char 0", "key 2 down 65 char 1",
                                                    "key 2 up 65 char 1", "key 2 down 0 char 233 repeat"}));
}

TEST_F(QtPresenterTest, TabIsAKeyOfTheClient) {
    qt::ClientWidget& client = graphics_window().client();
    send_key(client, QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
    EXPECT_EQ(sink.calls, std::vector<std::string>{"key 1 down 9 char 9"});
}

TEST_F(QtPresenterTest, LosingTheKeyboardIsReported) {
    QFocusEvent event(QEvent::FocusOut, Qt::PopupFocusReason);
    QApplication::sendEvent(&graphics_window().client(), &event);
    EXPECT_EQ(sink.calls, std::vector<std::string>{"focus lost"});
}

TEST_F(QtPresenterTest, AltAloneDoesNotTakeTheKeyboardToTheMenuBar) {
    EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_MenuBar_AltKeyNavigation), 0);
}

TEST_F(QtPresenterTest, ClientShowsTheLayersPixelsAtTheLayersSize) {
    // The layer takes the menu bar's height from the client area after creation.
    const int smaller_height = client_height - 20;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(client_width) * smaller_height, 0x00FFFFFF);
    pixels[5 * client_width + 7] = 0x00123456;
    presenter.client_changed(graphics, ClientImage{pixels.data(), client_width, smaller_height, client_width},
                             ClientArea{0, 0, client_width, smaller_height});
    presenter.poll();

    qt::ClientWidget& client = graphics_window().client();
    EXPECT_EQ(client.size(), QSize(client_width, smaller_height));
    const QImage shown = client.grab().toImage();
    EXPECT_EQ(shown.pixel(7, 5) & 0xFFFFFF, 0x123456u);
    EXPECT_EQ(shown.pixel(8, 5) & 0xFFFFFF, 0xFFFFFFu);
    // A size the layer chose is not reported back to it.
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(QtPresenterTest, ClientIsOpaqueOnABackingStoreWithAnAlphaChannel) {
    // Wayland windows are drawn into stores with alpha; the layer's pixels have a zero top byte
    // and showed as fully transparent there, so the compositor showed none of the client.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(client_width) * client_height, 0x00336699);
    presenter.client_changed(graphics, ClientImage{pixels.data(), client_width, client_height, client_width},
                             ClientArea{0, 0, client_width, client_height});
    QImage store(client_width, client_height, QImage::Format_ARGB32_Premultiplied);
    store.fill(Qt::transparent);
    graphics_window().client().render(&store);
    EXPECT_EQ(store.pixel(10, 10), 0xFF336699u);
    EXPECT_EQ(store.pixel(client_width - 1, client_height - 1), 0xFF336699u);

    // The layer draws and tells of it in one call; the toolkit paints later, from the buffer.
    pixels[1] = 0x00ABCDEF;
    presenter.client_changed(graphics, ClientImage{pixels.data(), client_width, client_height, client_width},
                             ClientArea{1, 0, 2, 1});
    graphics_window().client().render(&store);
    EXPECT_EQ(store.pixel(1, 0), 0xFFABCDEFu);
    EXPECT_EQ(store.pixel(0, 0), 0xFF336699u);

    // An area reaching far beyond the client is cut to it.
    pixels[0] = 0x00FF0000;
    presenter.client_changed(graphics, ClientImage{pixels.data(), client_width, client_height, client_width},
                             ClientArea{-1'000'000, -1'000'000, 1'000'000, 1'000'000});
    graphics_window().client().render(&store);
    EXPECT_EQ(store.pixel(0, 0), 0xFFFF0000u);
}

TEST_F(QtPresenterTest, PixelsGoIntoTheWindowsStoreAtTheClientsPlaceAndNoFurther) {
    presenter.set_menu(graphics, run_menu(false));
    presenter.poll();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(client_width) * client_height, 0x00336699);
    pixels[5 * client_width + 7] = 0x00123456;
    presenter.client_changed(graphics, ClientImage{pixels.data(), client_width, client_height, client_width},
                             ClientArea{0, 0, client_width, client_height});
    qt::TopLevelWindow& window = graphics_window();
    presenter.poll();  // the layer hands control back, and what it told of is painted
    QPaintDevice* device = window.backingStore()->paintDevice();
    ASSERT_EQ(device->devType(), QInternal::Image);
    const QImage& store = *static_cast<QImage*>(device);
    // The client lies below the menu bar, which keeps its own pixels.
    const QPoint client_origin = window.client().mapTo(&window, QPoint(0, 0));
    ASSERT_GT(client_origin.y(), 0);
    EXPECT_EQ(store.pixel(client_origin + QPoint(7, 5)), 0xFF123456u);
    EXPECT_EQ(store.pixel(client_origin + QPoint(8, 5)), 0xFF336699u);
    EXPECT_EQ(store.pixel(client_origin + QPoint(client_width - 1, client_height - 1)), 0xFF336699u);
    EXPECT_NE(store.pixel(client_origin + QPoint(7, -1)) & 0xFFFFFF, 0x336699u);

    // An image smaller than the client, the client placed mostly beyond its edge: only the
    // corner that falls inside is written.
    QImage small(20, 10, QImage::Format_ARGB32_Premultiplied);
    small.fill(Qt::transparent);
    window.client().render(&small, QPoint(12, 4));
    EXPECT_EQ(small.pixel(12, 4), 0xFF336699u);
    EXPECT_EQ(small.pixel(19, 9), 0xFF123456u);  // client pixel (7, 5)
    EXPECT_EQ(small.pixel(11, 9), 0u);
    EXPECT_EQ(small.pixel(19, 3), 0u);
}

// Client pixels painted on devices of their own: straight into 32-bit images at whole-pixel
// offsets, through the scratch rows everywhere else, and the same colours either way.
TEST(ClientPixels, GoStraightIntoImagesOfArgbWordsOnlyAtWholePixelOffsets) {
    std::vector<std::uint32_t> pixels = {0x00112233, 0x00445566, 0x00778899, 0x00AABBCC};  // 2 x 2
    const ClientImage image{pixels.data(), 2, 2, 2};
    QImage scratch_rows;
    QImage target(6, 5, QImage::Format_RGB32);
    target.fill(Qt::white);
    {
        QPainter painter(&target);
        painter.translate(3, 2);
        qt::paint_client_pixels(painter, image, QRect(0, 0, 2, 2), scratch_rows);
    }
    EXPECT_TRUE(scratch_rows.isNull()) << "painted through the scratch rows";
    EXPECT_EQ(target.pixel(3, 2), 0xFF112233u);
    EXPECT_EQ(target.pixel(4, 3), 0xFFAABBCCu);
    EXPECT_EQ(target.pixel(2, 2), 0xFFFFFFFFu);
    EXPECT_EQ(target.pixel(5, 4), 0xFFFFFFFFu);

    // Half a pixel off, at half opacity, or on 16-bit pixels, the painter does the work.
    QImage half_off(6, 5, QImage::Format_RGB32);
    half_off.fill(Qt::white);
    {
        QPainter painter(&half_off);
        painter.translate(0.5, 0);
        qt::paint_client_pixels(painter, image, QRect(0, 0, 2, 2), scratch_rows);
    }
    EXPECT_FALSE(scratch_rows.isNull());

    QImage faint(2, 2, QImage::Format_RGB32);
    faint.fill(Qt::white);
    {
        QPainter painter(&faint);
        painter.setOpacity(0.5);
        qt::paint_client_pixels(painter, image, QRect(0, 0, 2, 2), scratch_rows);
    }
    const QColor blended = QColor::fromRgb(faint.pixel(0, 0));
    EXPECT_NEAR(blended.red(), (0x11 + 0xFF) / 2, 2);
    EXPECT_NEAR(blended.blue(), (0x33 + 0xFF) / 2, 2);

    QImage narrow(2, 2, QImage::Format_RGB16);
    narrow.fill(Qt::white);
    {
        QPainter painter(&narrow);
        qt::paint_client_pixels(painter, image, QRect(0, 0, 2, 2), scratch_rows);
    }
    QImage expected(2, 2, QImage::Format_RGB16);
    expected.setPixel(0, 0, 0xFF112233u);
    expected.setPixel(1, 1, 0xFFAABBCCu);
    EXPECT_EQ(narrow.pixel(0, 0), expected.pixel(0, 0));
    EXPECT_EQ(narrow.pixel(1, 1), expected.pixel(1, 1));

    // The scratch rows follow a wider client.
    std::vector<std::uint32_t> wider = {0x00112233, 0x00445566, 0x00778899, 0x00ABCDEF};  // 4 x 1
    QImage wide_narrow(4, 1, QImage::Format_RGB16);
    wide_narrow.fill(Qt::white);
    {
        QPainter painter(&wide_narrow);
        qt::paint_client_pixels(painter, ClientImage{wider.data(), 4, 1, 4}, QRect(0, 0, 4, 1), scratch_rows);
    }
    expected.setPixel(0, 0, 0xFFABCDEFu);
    EXPECT_EQ(wide_narrow.pixel(3, 0), expected.pixel(0, 0));
}

// The presenter paints from the layer's buffer and keeps no copy of it, so it must stop reading
// the buffer as soon as the window is destroyed: the layer frees it right after.
TEST_F(QtPresenterTest, ADestroyedWindowNoLongerPaintsFromTheLayersBuffer) {
    auto pixels = std::make_unique<std::vector<std::uint32_t>>(static_cast<std::size_t>(client_width) * client_height,
                                                               0x00336699);
    presenter.client_changed(graphics, ClientImage{pixels->data(), client_width, client_height, client_width},
                             ClientArea{0, 0, client_width, client_height});
    qt::ClientWidget& client = graphics_window().client();
    ASSERT_EQ(client.grab().toImage().pixel(3, 3) & 0xFFFFFF, 0x336699u);

    presenter.destroy_window(graphics);
    pixels.reset();  // under the sanitizers, any read of it now fails the test
    EXPECT_EQ(client.grab().toImage().pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
    presenter.poll();
}

TEST_F(QtPresenterTest, UserResizingTheTextWindowIsReportedOnce) {
    text_window().resize(800, 200);
    presenter.poll();
    EXPECT_EQ(sink.calls, std::vector<std::string>{"resized 2 800x200"});
}

TEST_F(QtPresenterTest, AfterAResizeTheOldPixelsAreNotShownAgain) {
    // The layer replaces the client buffer as soon as it hears of the resize.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(1274) * 312, 0x00FF0000);
    presenter.client_changed(text, ClientImage{pixels.data(), 1274, 312, 1274}, ClientArea{0, 0, 1274, 312});
    presenter.poll();
    ASSERT_EQ(text_window().client().grab().toImage().pixel(3, 3) & 0xFFFFFF, 0xFF0000u);

    text_window().resize(800, 200);
    pixels.assign(pixels.size(), 0x000000FF);  // what a reused buffer might hold by now
    const QImage shown = text_window().client().grab().toImage();
    EXPECT_EQ(shown.pixel(3, 3) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(QtPresenterTest, WaitReturnsAsSoonAsInputArrived) {
    qt::ClientWidget& client = graphics_window().client();
    QApplication::postEvent(&client, new QKeyEvent(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier,
                                                   QStringLiteral("b")));
    // A deadline far off: the wait must end with the input, not with the deadline.
    presenter.wait(presenter.now_ms() + 60'000);
    EXPECT_EQ(sink.calls, std::vector<std::string>{"key 1 down 66 char 98"});
}

TEST_F(QtPresenterTest, WaitWithAPastDeadlineReturnsWithoutInput) {
    presenter.wait(presenter.now_ms() - 1);
    EXPECT_TRUE(sink.calls.empty());
}

// A frame drawn just before the program sleeps must reach the window before the sleep, even
// when the sleep ends at once.
TEST_F(QtPresenterTest, AWaitPaintsWhatTheLayerToldOfBeforeItSleeps) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(client_width) * client_height, 0x00336699);
    pixels[30 * client_width + 40] = 0x00ABCDEF;
    presenter.client_changed(graphics, ClientImage{pixels.data(), client_width, client_height, client_width},
                             ClientArea{0, 0, client_width, client_height});
    presenter.wait(presenter.now_ms() - 1);

    qt::TopLevelWindow& window = graphics_window();
    const QPoint client_origin = window.client().mapTo(&window, QPoint(0, 0));
    QPaintDevice* device = window.backingStore()->paintDevice();
    ASSERT_EQ(device->devType(), QInternal::Image);
    const QImage& store = *static_cast<QImage*>(device);
    EXPECT_EQ(store.pixel(client_origin + QPoint(40, 30)), 0xFFABCDEFu);
    EXPECT_EQ(store.pixel(client_origin + QPoint(41, 30)), 0xFF336699u);
}

// Counts the paint events a widget receives.
class PaintEventCounter final : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++count;
        return false;
    }
};

// An animation's frames go straight into the window's store: a frame painted through a paint
// event costs the toolkit's painter and its bookkeeping every time.
TEST_F(QtPresenterTest, AFrameReachesTheStoreWithoutAPaintEvent) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(client_width) * client_height, 0x00336699);
    qt::ClientWidget& client = graphics_window().client();
    PaintEventCounter paints;
    client.installEventFilter(&paints);
    presenter.client_changed(graphics, ClientImage{pixels.data(), client_width, client_height, client_width},
                             ClientArea{0, 0, client_width, client_height});
    presenter.poll();
    client.removeEventFilter(&paints);
    EXPECT_EQ(paints.count, 0);
    const auto* store = static_cast<QImage*>(graphics_window().backingStore()->paintDevice());
    EXPECT_EQ(store->pixel(client.mapTo(&graphics_window(), QPoint(3, 3))), 0xFF336699u);
}

// A buffer smaller than the client it is shown in: the part it does not cover shows white, not
// what the client showed before.
TEST_F(QtPresenterTest, APartNoBufferCoversShowsWhiteInsteadOfTheOldPixels) {
    constexpr int text_width = 1274;
    constexpr int text_height = 312;
    std::vector<std::uint32_t> old_pixels(static_cast<std::size_t>(text_width) * text_height, 0x00FF0000);
    presenter.client_changed(text, ClientImage{old_pixels.data(), text_width, text_height, text_width},
                             ClientArea{0, 0, text_width, text_height});
    qt::TopLevelWindow& window = text_window();
    // Painted by the toolkit here, so that the presenter's own painting of changes, at most once
    // per screen refresh, is still due when the smaller buffer comes.
    window.client().repaint();
    const QPoint client_origin = window.client().mapTo(&window, QPoint(0, 0));
    const auto store_pixel = [&](int x, int y) {
        const auto* store = static_cast<QImage*>(window.backingStore()->paintDevice());
        return store->pixel(client_origin + QPoint(x, y));
    };
    ASSERT_EQ(store_pixel(200, 100), 0xFFFF0000u);

    std::vector<std::uint32_t> small(100 * 50, 0x000000FF);
    presenter.client_changed(text, ClientImage{small.data(), 100, 50, 100}, ClientArea{0, 0, 100, 50});
    presenter.wait(presenter.now_ms() - 1);
    EXPECT_EQ(store_pixel(5, 5), 0xFF0000FFu);
    EXPECT_EQ(store_pixel(200, 100), 0xFFFFFFFFu);
    EXPECT_EQ(store_pixel(99, 60), 0xFFFFFFFFu);
}

// The presenter runs its waits on the toolkit's own loop: the application made by the test
// environment, with no choice in the environment, must not be built on GLib's.
TEST(ToolkitEventLoop, IsTheToolkitsOwnUnlessTheUserChose) {
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    ASSERT_NE(dispatcher, nullptr);
    EXPECT_FALSE(dispatcher->inherits("QEventDispatcherGlib"));
    EXPECT_TRUE(dispatcher->inherits("QEventDispatcherUNIX"));

    unsetenv("QT_NO_GLIB");
    qt::choose_toolkit_event_loop();
    EXPECT_STREQ(std::getenv("QT_NO_GLIB"), "1");
    // An empty value is the user's way back to GLib's loop and stays as it is.
    setenv("QT_NO_GLIB", "", 1);
    qt::choose_toolkit_event_loop();
    EXPECT_STREQ(std::getenv("QT_NO_GLIB"), "");
    setenv("QT_NO_GLIB", "1", 1);
}

}  // namespace
