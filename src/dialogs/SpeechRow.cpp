#include "dialogs/SpeechRow.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QSlider>
#include <algorithm>

#include "platform/Speech.h"
#include "settings/Settings.h"

namespace tresslin {

void VoiceList::showPopup() {
    emit aboutToShow();
    if (isEnabled() && !waiting && !view()->isVisible()) QComboBox::showPopup();
}

SpeechRow::SpeechRow(QWidget* parent, Speech& speech)
    : SettingsPage(parent),
      speech_(speech),
      lblVoice(new QLabel(tr("Voice:"), this)),
      cmbVoice(new VoiceList(this)),
      lblRate(new QLabel(tr("Rate:"), this)),
      sldRate(new QSlider(Qt::Horizontal, this)) {
    setObjectName(QStringLiteral("speechRow"));
    lblVoice->setObjectName(QStringLiteral("lblVoice"));
    cmbVoice->setObjectName(QStringLiteral("cmbVoice"));
    lblRate->setObjectName(QStringLiteral("lblRate"));
    sldRate->setObjectName(QStringLiteral("sldRate"));
    cmbVoice->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    addRow(lblVoice, cmbVoice);
    addRow(lblRate, sldRate);
    cmbVoice->setEditable(false);
    const QString stored = ReadSetting(settings::SpeechVoice);
    cmbVoice->addItem(tr("Default"), QString());
    if (!stored.isEmpty()) {
        cmbVoice->addItem(stored, stored);
        cmbVoice->setCurrentIndex(1);
    }
    sldRate->setRange(settings::SpeechRate.min, settings::SpeechRate.max);
    sldRate->setPageStep(2);
    sldRate->setValue(settings::readNumber(settings::SpeechRate));
    sldRate->setToolTip(tr("Slower - faster"));
    connect(cmbVoice, &VoiceList::aboutToShow, this, &SpeechRow::fillVoices);
    connect(cmbVoice, &QComboBox::activated, this,
            [this] { WriteSetting(settings::SpeechVoice, cmbVoice->currentData().toString()); });
    connect(sldRate, &QSlider::valueChanged, this,
            [](int rate) { settings::writeNumber(settings::SpeechRate, rate); });
    // A service that has already failed to answer need not be asked again to say so.
    if (speech_.contacted() && !speech_.available()) noService();
}

void SpeechRow::fillVoices() {
    if (filled_ || cmbVoice->waiting) return;
    if (!speech_.contacted()) {
        // The first contact takes seconds while the service loads its voices.
        cmbVoice->waiting = true;
        cmbVoice->setCursor(Qt::BusyCursor);
        connect(
            &speech_, &Speech::ready, this,
            [this] {
                cmbVoice->waiting = false;
                cmbVoice->unsetCursor();
                fillVoices();
                // Unless the reader has gone on to something else meanwhile.
                if (cmbVoice->isVisible() && cmbVoice->window()->focusWidget() == cmbVoice)
                    cmbVoice->showPopup();
            },
            Qt::SingleShotConnection);
        return speech_.prepare();
    }
    filled_ = true;
    if (!speech_.available()) return noService();
    const QString current = cmbVoice->currentData().toString();
    while (cmbVoice->count() > 1) cmbVoice->removeItem(1);
    for (const QString& name : speech_.voices()) cmbVoice->addItem(name, name);
    cmbVoice->setCurrentIndex(std::max(0, cmbVoice->findData(current)));
}

void SpeechRow::noService() {
    setEnabled(false);
    for (QWidget* w : findChildren<QWidget*>()) w->setToolTip(noSpeechMessage());
    setToolTip(noSpeechMessage());
}

}  // namespace tresslin
