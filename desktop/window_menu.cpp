// The menu and its keys.
#include "window_menu.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "qt_texts.h"

namespace {

QAction* MakeAction(QWidget* window, const char* text, const QKeySequence& keys, const std::function<void()>& run) {
    auto* action = new QAction(QTr(text), window);
    action->setShortcut(keys);
    QObject::connect(action, &QAction::triggered, window, [run] { run(); });
    window->addAction(action);
    return action;
}

}  // namespace

WindowMenu::WindowMenu(QWidget* window, const Handlers& handlers)
    : menu_(new QMenu(window)),
      properties_(MakeAction(window, N_("Properties…"), QKeySequence(), handlers.properties)),
      undo_(MakeAction(window, N_("Undo last drop"), QKeySequence(Qt::CTRL | Qt::Key_Z), handlers.undo)),
      toggleLog_(MakeAction(window, N_("Show log"), QKeySequence(), handlers.toggleLog)),
      about_(MakeAction(window, N_("About Quillon"), QKeySequence(Qt::Key_F1), handlers.about)),
      quit_(MakeAction(window, N_("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), handlers.quit)),
      open_(MakeAction(window, N_("Open menu"), QKeySequence(Qt::SHIFT | Qt::Key_F10), handlers.open)) {
    menu_->addAction(properties_);
    menu_->addAction(undo_);
    menu_->addAction(toggleLog_);
    menu_->addSeparator();
    menu_->addAction(about_);
    menu_->addSeparator();
    menu_->addAction(quit_);
}

void WindowMenu::AddKeysTo(QWidget* other) {
    for (QAction* action : {undo_, about_, quit_}) other->addAction(action);
}

void WindowMenu::SetBusy(bool busy) {
    // Neither the dialog nor an undo while a batch runs, as with drops.
    properties_->setEnabled(!busy);
    undo_->setEnabled(!busy);
}

void WindowMenu::Popup(const QPoint& at, bool logShown) {
    toggleLog_->setText(logShown ? QTr("Hide log") : QTr("Show log"));
    menu_->popup(at);
}
