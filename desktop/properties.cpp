// The properties dialog: three groups of radio buttons over a working copy of
// the settings, the about text, OK and ｷｬﾝｾﾙ; and the right-click handling.
#include "properties.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "log_window.h"
#include "main_window.h"
#include "settings/settings_store.h"

namespace {

// Each button's id in its group is the value it stands for.
struct RadioGroup {
    const char* title;
    const char* choices[3];
    int count;
    bool vertical;
    int32_t Settings::*field;
};

const RadioGroup kGroups[] = {
    {"ファイル名の形式",
     {"曲名のみ", "曲名 - アーティスト名", "アーティスト名 - 曲名"},
     3,
     true,
     &Settings::nameFormat},
    {"優先するID3 Tag", {"ID3v1 Tag", "ID3v2 Tag", nullptr}, 2, false, &Settings::primaryTag},
    {"変換ログ・ウィンドウ", {"表示する", "表示しない", nullptr}, 2, false, &Settings::logWindow},
};

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
    box->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    box->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("ｷｬﾝｾﾙ"));
    box->button(QDialogButtonBox::Ok)->setDefault(true);
    QObject::connect(box, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return box;
}

QLabel* MakeAbout(QWidget* parent) {
    auto* about = new QLabel(QStringLiteral("Quillon Ver.1.6\nfor Linux\n(c) 2026 Ombrix, MIT"), parent);
    about->setAlignment(Qt::AlignCenter);
    return about;
}

}  // namespace

PropertiesDialog::PropertiesDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("プロパティ"));
    // Fields the store cannot supply stay 0, which no button stands for.
    LoadSettings(&working_);
    auto* layout = new QVBoxLayout(this);
    for (int g = 0; g < 3; ++g) AddGroup(g, layout);
    layout->addWidget(MakeAbout(this));
    layout->addWidget(MakeButtons(this));
    // Laid out once, then neither smaller nor larger.
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PropertiesDialog::AddGroup(int index, QLayout* layout) {
    const RadioGroup& radio = kGroups[index];
    auto* box = new QGroupBox(QString::fromUtf8(radio.title), this);
    QBoxLayout* inner = radio.vertical ? static_cast<QBoxLayout*>(new QVBoxLayout(box)) : new QHBoxLayout(box);
    QButtonGroup* group = new QButtonGroup(box);
    for (int v = 1; v <= radio.count; ++v) {
        auto* button = new QRadioButton(QString::fromUtf8(radio.choices[v - 1]), box);
        group->addButton(button, v);
        inner->addWidget(button);
    }
    CheckValue(group, working_.*radio.field);
    connect(group, &QButtonGroup::idClicked, this, [this, index](int value) { OnChoice(index, value); });
    layout->addWidget(box);
}

void PropertiesDialog::OnChoice(int group, int value) {
    working_.*kGroups[group].field = value;
}

void PropertiesDialog::accept() {
    SaveSettings(working_);
    QDialog::accept();
}

void OpenProperties(MainWindow* window) {
    Settings* live = window->LiveSettings();
    LogWindow* log = window->Log();
    live->busy = 1;
    window->DrawStateImage();
    log->AddConfiguration();

    PropertiesDialog dialog(window);
    if (dialog.exec() == QDialog::Accepted) {
        LoadSettings(live);
        log->setVisible(live->logWindow == LOG_SHOW);
    }

    live->busy = 0;
    window->DrawStateImage();
    log->AddReady();
}
