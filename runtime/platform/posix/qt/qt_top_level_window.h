// One top-level window of the layer: an optional menu bar mirrored from the layer's menu, and
// the client area below it.
#pragma once

#include <vector>

#include <QPoint>
#include <QWidget>

#include "presenter.h"

class QAction;
class QMenu;
class QMenuBar;

namespace kd508::platform::qt {

class ClientWidget;
class StoreFence;

// The toolkit's window hints for the frame a window style asks for.
Qt::WindowFlags window_flags_for(const WindowDecorations& decorations);

class TopLevelWindow final : public QWidget {
public:
    // The fence, where the display has one, outlives the window.
    TopLevelWindow(PresenterWindowId window, const PresenterWindowDescription& description,
                   InputSink& input, StoreFence* fence);

    // Shows the window with its outer frame at the position the layer gave it.
    void show_framed();
    void set_menu(const std::vector<MenuEntry>& menu_bar);
    void show_client(const ClientImage& image, const ClientArea& changed);
    ClientWidget& client() { return *client_; }

protected:
    // The close box asks; the window procedure decides, so the window stays.
    void closeEvent(QCloseEvent* event) override;

private:
    // One menu entry as shown, with the check mark the layer last gave it.
    struct MirroredEntry {
        QAction* action = nullptr;
        bool checked = false;
    };

    void build_menu_bar(const std::vector<MenuEntry>& menu_bar);
    void add_entries(QWidget* menu, const std::vector<MenuEntry>& entries);
    void update_entries(const std::vector<MenuEntry>& entries, std::size_t& next_index);
    void apply_state(MirroredEntry& shown, const MenuEntry& entry);
    void command_triggered(QAction* action, std::size_t index, unsigned command);

    PresenterWindowId window_;
    InputSink& input_;
    QPoint outer_position_;
    ClientWidget* client_ = nullptr;
    QMenuBar* menu_bar_ = nullptr;
    std::vector<MenuEntry> menu_shape_;  // the entries the shown menu was built from
    std::vector<MirroredEntry> entries_;  // every entry of the shown menu, depth first
};

}  // namespace kd508::platform::qt
