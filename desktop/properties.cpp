// The properties dialog: three groups of radio buttons over a working copy of
// the settings, the about text, OK and Cancel; and the sequence that runs it.
#include "properties.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFont>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "cjk_font.h"
#include "core/window_sequences.h"
#include "main_window.h"
#include "qt_texts.h"
#include "quillon_version.h"
#include "settings/choices.h"
#include "settings/settings_store.h"

namespace {

// Checks the button of `value`, or none when no button stands for it.
void CheckValue(QButtonGroup* group, int value) {
    QAbstractButton* button = group->button(value);
    if (button != nullptr) {
        button->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; to clear it, it is not
    // exclusive for a moment.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

QDialogButtonBox* MakeButtons(QDialog* dialog) {
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    box->button(QDialogButtonBox::Ok)->setText(QTr("OK"));
    box->button(QDialogButtonBox::Cancel)->setText(QTr("Cancel"));
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

QLabel* MakeAbout(QWidget* parent) {
    auto* about =
        new QLabel(QStringLiteral("Quillon Ver." QUILLON_VERSION "\nfor Linux\n(c) 2026 Ombrix, MIT"), parent);
    about->setAlignment(Qt::AlignCenter);
    return about;
}

}  // namespace

PropertiesDialog::PropertiesDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QTr("Properties"));
    QString family = CjkFamily(false);
    if (!family.isEmpty()) setFont(QFont(family, font().pointSize()));
    // Fields the store cannot supply stay 0, which no button stands for.
    LoadSettings(&working_);
    auto* layout = new QVBoxLayout(this);
    for (int g = 0; g < CHOICE_FIELDS; ++g) AddGroup(g, layout);
    layout->addWidget(MakeAbout(this));
    layout->addWidget(MakeButtons(this));
    // Laid out once, then neither smaller nor larger.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PropertiesDialog::AddGroup(int index, QLayout* layout) {
    const ChoiceField& field = kChoiceFields[index];
    auto* box = new QGroupBox(QTr(field.caption), this);
    // Three choices or more are stacked, as the name formats are; two sit side by side.
    QBoxLayout* inner = field.count > 2 ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
    QButtonGroup* group = new QButtonGroup(box);
    for (int i = 0; i < field.count; ++i) {
        auto* button = new QRadioButton(QTr(field.choices[i].caption), box);
        group->addButton(button, field.choices[i].value);
        inner->addWidget(button);
    }
    CheckValue(group, working_.*field.field);
    connect(group, &QButtonGroup::idClicked, this, [this, index](int value) { OnChoice(index, value); });
    layout->addWidget(box);
}

void PropertiesDialog::OnChoice(int group, int value) {
    working_.*kChoiceFields[group].field = value;
}

void PropertiesDialog::accept() {
    SaveSettings(working_);
    QDialog::accept();
}

int WindowRunDialog(WindowSite* site) {
    PropertiesDialog dialog(site->window);
    return dialog.exec() == QDialog::Accepted ? 1 : 0;
}

void OpenProperties(MainWindow* window) {
    WindowSite site = {window};
    RunProperties(&site, window->LiveSettings());
}
