// The main window's menu (a right click, the Menu key or Shift+F10 opens it)
// and the keys that reach its items from either window: Ctrl+Z undoes the last
// drop, F1 tells about the program, Ctrl+Q quits.
#ifndef QUILLON_DESKTOP_WINDOW_MENU_H
#define QUILLON_DESKTOP_WINDOW_MENU_H

#include <QPoint>

#include <functional>

class QAction;
class QMenu;
class QWidget;

class WindowMenu {
  public:
    struct Handlers {
        std::function<void()> properties;
        std::function<void()> undo;
        std::function<void()> toggleLog;
        std::function<void()> about;
        std::function<void()> quit;
        std::function<void()> open;  // Shift+F10
    };

    // The actions and the menu belong to `window`.
    WindowMenu(QWidget* window, const Handlers& handlers);

    // `other` (the log window) takes the same keys.
    void AddKeysTo(QWidget* other);
    // While busy, the items that would start something are greyed out.
    void SetBusy(bool busy);
    // Opens the menu at `at` (global), offering to show or to hide the log.
    void Popup(const QPoint& at, bool logShown);

    QMenu* Menu() const {
        return menu_;
    }
    QAction* Properties() const {
        return properties_;
    }
    QAction* Undo() const {
        return undo_;
    }
    QAction* ToggleLog() const {
        return toggleLog_;
    }
    QAction* About() const {
        return about_;
    }
    QAction* Quit() const {
        return quit_;
    }

  private:
    QMenu* menu_;
    QAction* properties_;
    QAction* undo_;
    QAction* toggleLog_;
    QAction* about_;
    QAction* quit_;
    QAction* open_;
};

#endif
