// The properties dialog and the right-click handling that runs it. The store
// is the only way the dialog's choices reach the main window: OK saves the
// working copy, and the live settings are then reloaded from the store.
#ifndef QUILLON_DESKTOP_PROPERTIES_H
#define QUILLON_DESKTOP_PROPERTIES_H

#include <QDialog>

#include "core/records.h"

class MainWindow;

class PropertiesDialog : public QDialog {
  public:
    // Fills the working copy from the store; a group whose value could not be
    // read shows no checked button.
    explicit PropertiesDialog(QWidget* owner);

    // OK: the working copy is saved before the dialog ends.
    void accept() override;

  private:
    void AddGroup(int index, QLayout* layout);
    void OnChoice(int group, int value);

    Settings working_ = {0, 0, 0, 0};
};

// The menu's Properties…: busy picture and "Configuration...", the modal dialog, then on OK the live
// settings from the store and the log shown or hidden to match; in every case
// the idle picture and "READY." after it.
void OpenProperties(MainWindow* window);

#endif
