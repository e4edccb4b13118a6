// The on-screen presenter: the layer's windows as Qt widgets, its waits as Qt's event loop.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>

#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QProxyStyle>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include "core/no_display.h"
#include "presenter.h"
#include "core/termination_signal.h"
#include "qt_client_widget.h"
#include "qt_event_loop_choice.h"
#include "qt_input_relay.h"
#include "qt_store_fence.h"
#include "qt_teardown_watchdog.h"
#include "qt_top_level_window.h"

namespace kd508::platform {
namespace {

// A timer runs for at most this long; a later deadline is reached by waiting again.
constexpr std::int64_t longest_timer_ms = 24 * 60 * 60 * 1000;

// Closing the toolkit takes milliseconds; on a loaded machine, far less than this.
constexpr std::chrono::milliseconds toolkit_teardown_limit{3000};

// Tapping Alt alone would put the menu bar into keyboard mode and swallow the keys that follow,
// which Windows programs without a system menu never see. Alt with a mnemonic still opens its
// menu.
class NoAltMenuNavigationStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == QStyle::SH_MenuBar_AltKeyNavigation) return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }

    // Every menu bar asks for the icon of the button that would show the items it has no room
    // for. Loading it has the toolkit try every image decoder it has on the file, which loads
    // them all into the process; a Win32 menu bar wraps instead and never shows that button.
    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option, const QWidget* widget) const override {
        if (icon == QStyle::SP_ToolBarHorizontalExtensionButton) return QIcon();
        return QProxyStyle::standardIcon(icon, option, widget);
    }
};

class QtPresenter final : public Presenter {
public:
    QtPresenter(int argc, char** argv) : argc_(argc), application_(argc_, argv) {
        QApplication::setStyle(new NoAltMenuNavigationStyle);
        // A Win32 menu bar is part of its window, whatever the desktop offers: a global menu
        // would take the bar out of the window and the menu bar's height back into the client.
        // Asking the desktop whether it has one would also cost a session-bus round trip.
        QApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
        // Closing is the window procedure's business, never the toolkit's.
        QApplication::setQuitOnLastWindowClosed(false);
        store_fence_ = qt::StoreFence::for_application_display();
        clock_.start();
        deadline_timer_.setSingleShot(true);
        deadline_timer_.setTimerType(Qt::PreciseTimer);
        // A termination signal ends a wait as input does; the queue then closes the window.
        install_termination_handlers();
        if (termination_wake_descriptor() >= 0) {
            auto* wake = new QSocketNotifier(termination_wake_descriptor(), QSocketNotifier::Read, &application_);
            QObject::connect(wake, &QSocketNotifier::activated, [this] { relay_.wake(); });
        }
    }

    ~QtPresenter() override {
        for (auto& [id, window] : windows_) delete window;
        // The application is destroyed after this body, while the watchdog is armed.
        teardown_watchdog_.emplace(toolkit_teardown_limit);
    }

    void attach(InputSink& sink) override { relay_.attach(sink); }

    ScreenSize screen_size() const override {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen == nullptr) return {};
        const QRect geometry = screen->geometry();
        return ScreenSize{geometry.width(), geometry.height()};
    }

    void create_window(PresenterWindowId window, const PresenterWindowDescription& description) override {
        destroy_window(window);
        windows_[window] = new qt::TopLevelWindow(window, description, relay_, store_fence_.get());
    }

    void show_window(PresenterWindowId window, bool visible) override {
        qt::TopLevelWindow* shown = find(window);
        if (shown == nullptr) return;
        if (!visible) {
            shown->hide();
            return;
        }
        shown->show_framed();
        shown->client().setFocus();
    }

    void destroy_window(PresenterWindowId window) override {
        const auto found = windows_.find(window);
        if (found == windows_.end()) return;
        found->second->client().forget_client();
        found->second->hide();
        // It may be on the call stack of the event that led here.
        found->second->deleteLater();
        windows_.erase(found);
    }

    void set_menu(PresenterWindowId window, const std::vector<MenuEntry>& menu_bar) override {
        if (qt::TopLevelWindow* shown = find(window)) shown->set_menu(menu_bar);
    }

    void client_changed(PresenterWindowId window, const ClientImage& image,
                        const ClientArea& changed) override {
        if (qt::TopLevelWindow* shown = find(window)) shown->show_client(image, changed);
    }

    std::int64_t now_ms() override { return clock_.elapsed(); }

    void poll() override {
        paint_due_changes();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // Deferred deletions run only in an event loop of their own level; the layer's loop
        // never enters one, so they are run here.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void wait(std::optional<std::int64_t> deadline_ms) override {
        paint_due_changes();
        relay_.take_delivered();
        // Waiting for more events has no timeout of its own: a timer wakes it at the deadline.
        // The one timer serves every wait, and one still running for the same deadline, left
        // from a wait that input ended, is kept: an animation waits for its next tick once or
        // more per frame, and each new timer would cost its creation and registration.
        if (!deadline_ms || *deadline_ms != deadline_timer_for_ms_) deadline_timer_.stop();
        while (!relay_.take_delivered()) {
            if (deadline_ms) {
                const std::int64_t remaining = *deadline_ms - now_ms();
                if (remaining <= 0) break;
                // The deadline holds for the whole wait: a timer still running already ends it,
                // and arming it again after every batch of events (a repaint, a reply from the
                // display) would only cost its removal and re-registration.
                if (!deadline_timer_.isActive()) {
                    deadline_timer_.start(static_cast<int>(std::min<std::int64_t>(remaining, longest_timer_ms)));
                    deadline_timer_for_ms_ = *deadline_ms;
                }
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

private:
    // Changes the layer told of are painted whenever the layer hands control to the toolkit.
    void paint_due_changes() {
        for (auto& [id, window] : windows_) window->client().paint_due_changes();
    }

    qt::TopLevelWindow* find(PresenterWindowId window) const {
        const auto found = windows_.find(window);
        return found == windows_.end() ? nullptr : found->second;
    }

    std::optional<qt::TeardownWatchdog> teardown_watchdog_;  // declared first: outlives the application
    int argc_;  // QApplication keeps a reference to it for its whole life
    QApplication application_;
    std::unique_ptr<qt::StoreFence> store_fence_;  // on X11 only; outlives the windows
    QElapsedTimer clock_;
    qt::InputRelay relay_;
    QTimer deadline_timer_;  // wakes a wait at its deadline
    std::int64_t deadline_timer_for_ms_ = 0;  // the deadline it was last started for
    std::map<PresenterWindowId, qt::TopLevelWindow*> windows_;
};

}  // namespace

namespace {

QtMessageHandler message_handler_before_start = nullptr;

// While the application starts, a fatal message means that no platform could be brought up:
// the display named in the environment cannot be reached. Qt would abort; one clear line and
// the no-display status instead. Every other message goes where it went before.
void startup_message_handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", no_display_message);
        std::fflush(stderr);
        std::_Exit(no_display_status);
    }
    if (message_handler_before_start != nullptr) {
        message_handler_before_start(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

}  // namespace

std::unique_ptr<Presenter> create_platform_presenter(int argc, char** argv) {
    qt::choose_toolkit_event_loop();
    message_handler_before_start = qInstallMessageHandler(startup_message_handler);
    auto presenter = std::make_unique<QtPresenter>(argc, argv);
    qInstallMessageHandler(message_handler_before_start);
    return presenter;
}

}  // namespace kd508::platform
