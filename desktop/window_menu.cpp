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
      properties_(MakeAction(window, "Properties…", QKeySequence(), handlers.properties)),
      undo_(MakeAction(window, "Undo last drop", QKeySequence(Qt::CTRL | Qt::Key_Z), handlers.undo)),
      toggleLog_(MakeAction(window, "Show log", QKeySequence(), handlers.toggleLog)),
      about_(MakeAction(window, "About Quillon", QKeySequence(Qt::Key_F1), handlers.about)),
      quit_(MakeAction(window, "Quit", QKeySequence(Qt::CTRL | Qt::Key_Q), handlers.quit)),
      open_(MakeAction(window, "Open menu", QKeySequence(Qt::SHIFT | Qt::Key_F10), handlers.open)) {
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
    toggleLog_->setText(QString::fromUtf8(logShown ? Tr("Hide log") : Tr("Show log")));
    menu_->popup(at);
}
