#include "dialogs/SettingsPage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/Twips.h"
#include "settings/Settings.h"

namespace tresslin {

SettingsPage::SettingsPage(QWidget* parent, Frame frame)
    : QWidget(parent), rows_(new QVBoxLayout(this)) {
    if (frame == Frame::Block) rows_->setContentsMargins(0, 0, 0, 0);
    // Rows go above the stretch, so a short page keeps them at its top.
    rows_->addStretch(1);
}

void SettingsPage::addRow(QWidget* wide, Qt::Alignment alignment) {
    rows_->insertWidget(rows_->count() - 1, wide, 0, alignment);
}

void SettingsPage::addRow(QLabel* label, QWidget* control) {
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    // Controls that keep their width line up at the right edge, on every page and block.
    if (!(control->sizePolicy().horizontalPolicy() & QSizePolicy::ExpandFlag)) row->addStretch(1);
    row->addWidget(control);
    label->setBuddy(control);
    rows_->insertLayout(rows_->count() - 1, row);
}

QCheckBox* SettingsPage::addFlag(const char* name, const QString& text,
                                 const settings::Setting& setting, std::function<void()> changed) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(settings::readFlag(setting));
    connect(box, &QCheckBox::clicked, this, [&setting, changed = std::move(changed)](bool on) {
        settings::writeNumber(setting, on ? 1 : 0);
        if (changed) changed();
    });
    addRow(box);
    return box;
}

QSpinBox* SettingsPage::addNumber(const char* labelName, const QString& label, const char* name,
                                  const settings::Setting& setting, const QString& suffix,
                                  std::function<void()> changed) {
    auto* caption = new QLabel(label, this);
    caption->setObjectName(QString::fromLatin1(labelName));
    auto* box = new QSpinBox(this);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(setting.min, setting.max);
    box->setSuffix(suffix);
    box->setMinimumWidth(twipsToPixels(1095));
    box->setValue(settings::readNumber(setting));
    // Connected after the stored value is shown: opening the page writes nothing.
    connect(box, &QSpinBox::valueChanged, this,
            [&setting, changed = std::move(changed)](int value) {
                settings::writeNumber(setting, value);
                if (changed) changed();
            });
    addRow(caption, box);
    return box;
}

void SettingsPage::limit(QWidget* control, const QString& why, bool on) {
    QList<QWidget*> targets{control};
    for (QLabel* label : control->parentWidget()->findChildren<QLabel*>())
        if (label->buddy() == control) targets.append(label);
    for (QWidget* w : targets) {
        w->setEnabled(why.isEmpty() || on);
        w->setToolTip(why);
    }
}

}  // namespace tresslin
