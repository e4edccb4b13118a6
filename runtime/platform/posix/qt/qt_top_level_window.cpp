#include "qt_top_level_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <QWindow>

#include "qt_client_widget.h"
#include "qt_windows_1252.h"

namespace kd508::platform::qt {
namespace {

// Two menus have the same shape when they differ at most in labels, check marks and greyed
// states; such a change is applied to the shown menu in place, so that an open menu stays open.
bool same_shape(const std::vector<MenuEntry>& a, const std::vector<MenuEntry>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].command != b[i].command) return false;
        if (!same_shape(a[i].children, b[i].children)) return false;
    }
    return true;
}

}  // namespace

Qt::WindowFlags window_flags_for(const WindowDecorations& decorations) {
    // Only the hints asked for here: without CustomizeWindowHint the toolkit adds every box.
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
    if (decorations.caption) flags |= Qt::WindowTitleHint;
    if (decorations.system_menu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (decorations.minimize_box) flags |= Qt::WindowMinimizeButtonHint;
    if (decorations.maximize_box) flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

TopLevelWindow::TopLevelWindow(PresenterWindowId window,
                               const PresenterWindowDescription& description, InputSink& input,
                               StoreFence* fence)
    : window_(window), input_(input) {
    const WindowGeometry& geometry = description.geometry;
    const QSize client_size(geometry.client_width, geometry.client_height);
    setWindowTitle(from_windows_1252(description.title));
    setWindowFlags(window_flags_for(description.decorations));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    client_ = new ClientWidget(window, input, client_size, description.resizable, fence, this);
    layout->addWidget(client_);
    if (description.resizable) {
        resize(client_size);
    } else {
        // The window takes exactly the client's size plus its menu bar, and the user cannot
        // change it.
        layout->setSizeConstraint(QLayout::SetFixedSize);
    }
    setFocusProxy(client_);
    outer_position_ = QPoint(geometry.outer_left, geometry.outer_top);
    move(outer_position_);
}

void TopLevelWindow::show_framed() {
    if (!isVisible()) {
        // Positions are the outer frame's, as on Windows. The toolkit takes a position set
        // before the frame is known for the client's, so a window manager put the graphics
        // window's caption above the top of the screen, out of reach of the mouse; the
        // platform window is therefore told outright that the position is its frame's. A
        // Wayland compositor places windows itself and ignores both. The layout takes its
        // final size first: a size change while showing would undo the frame's position.
        if (layout() != nullptr) layout()->activate();
        winId();
        if (QWindow* platform_window = windowHandle()) platform_window->setFramePosition(outer_position_);
    }
    show();
}

void TopLevelWindow::set_menu(const std::vector<MenuEntry>& menu_bar) {
    if (menu_bar_ != nullptr && same_shape(menu_bar, menu_shape_)) {
        std::size_t next_index = 0;
        update_entries(menu_bar, next_index);
    } else {
        build_menu_bar(menu_bar);
    }
    menu_shape_ = menu_bar;
}

void TopLevelWindow::show_client(const ClientImage& image, const ClientArea& changed) {
    client_->show_client(image, changed);
}

void TopLevelWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    input_.close_requested(window_);
}

void TopLevelWindow::build_menu_bar(const std::vector<MenuEntry>& menu_bar) {
    if (menu_bar_ != nullptr) {
        menu_bar_->hide();
        menu_bar_->deleteLater();  // it may be the sender of the signal being handled
    }
    entries_.clear();
    menu_bar_ = new QMenuBar(this);
    static_cast<QVBoxLayout*>(layout())->setMenuBar(menu_bar_);
    add_entries(menu_bar_, menu_bar);
    menu_bar_->show();
}

void TopLevelWindow::add_entries(QWidget* menu, const std::vector<MenuEntry>& entries) {
    for (const MenuEntry& entry : entries) {
        QAction* action = nullptr;
        QMenu* popup = nullptr;
        switch (entry.kind) {
        case MenuEntry::Kind::popup:
            popup = new QMenu(menu);
            action = popup->menuAction();
            break;
        case MenuEntry::Kind::separator:
            action = new QAction(menu);
            action->setSeparator(true);
            break;
        case MenuEntry::Kind::command: {
            action = new QAction(menu);
            const std::size_t index = entries_.size();
            const unsigned command = entry.command;
            connect(action, &QAction::triggered, this, [this, action, index, command] {
                command_triggered(action, index, command);
            });
            break;
        }
        }
        menu->addAction(action);
        entries_.push_back(MirroredEntry{action, false});
        apply_state(entries_.back(), entry);
        if (popup != nullptr) add_entries(popup, entry.children);
    }
}

void TopLevelWindow::update_entries(const std::vector<MenuEntry>& entries, std::size_t& next_index) {
    for (const MenuEntry& entry : entries) {
        apply_state(entries_[next_index++], entry);
        update_entries(entry.children, next_index);
    }
}

void TopLevelWindow::apply_state(MirroredEntry& shown, const MenuEntry& entry) {
    shown.checked = entry.checked;
    if (entry.kind == MenuEntry::Kind::separator) return;
    // The label keeps its '&' for the mnemonic; the text after the tab appears in the shortcut
    // column and binds no key, so Ctrl+letter still reaches the client as a key press.
    shown.action->setText(from_windows_1252(entry.label));
    shown.action->setEnabled(!entry.grayed);
    if (entry.kind != MenuEntry::Kind::command) return;
    // Only checked items are checkable: some styles draw an empty box beside an unchecked
    // checkable item, where Windows draws nothing.
    shown.action->setCheckable(entry.checked);
    shown.action->setChecked(entry.checked);
}

void TopLevelWindow::command_triggered(QAction* action, std::size_t index, unsigned command) {
    // An item of a menu bar that has since been replaced no longer stands for a command.
    if (index >= entries_.size() || entries_[index].action != action) return;
    input_.menu_chosen(window_, command);
    // The toolkit has already flipped the check mark; only the layer's CheckMenuItem decides
    // it, and the layer sends the menu again when it changes.
    action->setChecked(entries_[index].checked);
}

}  // namespace kd508::platform::qt
