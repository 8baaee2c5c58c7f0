#include "dialogs/frmSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <iterator>

#include "book/mdlFiles.h"
#include "dialogs/ChapterRuleRow.h"
#include "dialogs/DialogHost.h"
#include "dialogs/FixedDialog.h"
#include "dialogs/OutOfSightBox.h"
#include "dialogs/SpeechRow.h"
#include "platform/Colors.h"
#include "platform/Prompts.h"
#include "platform/WindowOptions.h"
#include "settings/Settings.h"

namespace tresslin {

namespace {

constexpr int kDetectRow = 375;
constexpr int kWindowRow = 375;
constexpr int kSpeechRow = 375;

// Entry i is coding index i; a coding added to the book text needs its name here.
constexpr const char* kCodingNames[] = {"Windows Cyrillic", "DOS Cyrillic", "KOI8-R", "UTF-8"};
static_assert(std::size(kCodingNames) == kStoredCodingCount);

QString cssColor(std::int32_t value) {
    // System colours follow the desktop's palette, not the one altered below.
    return colorFromValue(value, QApplication::palette()).name(QColor::HexRgb);
}

}  // namespace

frmSettings::frmSettings(QWidget* parent, DialogHost& host, Prompts& prompts)
    : QDialog(parent),
      host_(host),
      prompts_(prompts),
      Label1(new QLabel(QStringLiteral("Text Coding:"), this)),
      cmbCoding(new QComboBox(this)),
      fraColors(new QGroupBox(QStringLiteral("Select Colors:"), this)),
      cmdBackColor(new QPushButton(QStringLiteral("Back Color"), fraColors)),
      cmdText(new QPushButton(QStringLiteral("Text Color"), fraColors)),
      cmdDefault(new QPushButton(QStringLiteral("Default"), fraColors)),
      chkDetect(new QCheckBox(QStringLiteral("Detect coding on open"), this)),
      chkWrap(new QCheckBox(QStringLiteral("Wrap long lines"), this)),
      chkYo(new QCheckBox(QStringLiteral("Find \u0451 as \u0435"), this)),
      chkStayOnTop(new QCheckBox(QStringLiteral("Stay on top"), this)),
      lblOpacity(new QLabel(QStringLiteral("Opacity:"), this)),
      spnOpacity(new QSpinBox(this)) {
    // An empty icon would fall back to the application's; a transparent one shows nothing.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));
    // Rows below the colours for the detection and wrapping switches and the window options.
    setUpFixedDialog(*this, "frmSettings", QStringLiteral("Settings"), 3705,
                     1245 + 3 * kDetectRow + kWindowRow + OutOfSightBox::kHeightTwips + kSpeechRow +
                         ChapterRuleRow::kHeightTwips);

    placeTwips(Label1, "Label1", 150, 150, 1095, 255);
    placeTwips(cmbCoding, "cmbCoding", 1200, 120, 2415, 315);
    placeTwips(fraColors, "fraColors", 120, 480, 3495, 720);
    placeTwips(cmdBackColor, "cmdBackColor", 120, 240, 1050, 375);
    placeTwips(cmdText, "cmdText", 1230, 240, 1050, 375);
    placeTwips(cmdDefault, "cmdDefault", 2340, 240, 1050, 375);
    placeTwips(chkDetect, "chkDetect", 150, 1260, 3465, 315);
    placeTwips(chkWrap, "chkWrap", 150, 1260 + kDetectRow, 3465, 315);
    placeTwips(chkYo, "chkYo", 150, 1260 + 2 * kDetectRow, 3465, 315);
    setUpWindowRow(1260 + 3 * kDetectRow);
    fraOutOfSight = new OutOfSightBox(this, host_, prompts_);
    placeTwips(fraOutOfSight, "fraOutOfSight", 0, 1260 + 3 * kDetectRow + kWindowRow, 3705,
               OutOfSightBox::kHeightTwips);
    placeTwips(new SpeechRow(this, host.voice()), "speechRow", 150,
               1260 + 3 * kDetectRow + kWindowRow + OutOfSightBox::kHeightTwips, 3465, 315);
    placeTwips(new ChapterRuleRow(this), "chapterRuleRow", 150,
               1260 + 3 * kDetectRow + kWindowRow + OutOfSightBox::kHeightTwips + kSpeechRow, 3465,
               ChapterRuleRow::kHeightTwips);

    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The designed boxes hold "Text Coding:" in Arial; in a wider font the list, drawn over the
    // label, would hide its colon, so the list gives up room on its left.
    const int labelRight = Label1->x() + Label1->sizeHint().width();
    if (labelRight > cmbCoding->x()) {
        Label1->resize(Label1->sizeHint().width(), Label1->height());
        cmbCoding->setGeometry(labelRight, cmbCoding->y(),
                               cmbCoding->geometry().right() + 1 - labelRight, cmbCoding->height());
    }
    cmbCoding->setEditable(false);
    for (const char* name : kCodingNames) cmbCoding->addItem(QString::fromLatin1(name));

    noDefaultButtons({cmdBackColor, cmdText, cmdDefault});
    setTabOrder(cmdDefault, cmbCoding);
    setTabOrder(cmbCoding, cmdText);
    setTabOrder(cmdText, cmdBackColor);
    setTabOrder(cmdBackColor, chkDetect);
    setTabOrder(chkDetect, chkWrap);
    setTabOrder(chkWrap, chkYo);
    setTabOrder(chkYo, chkStayOnTop);
    setTabOrder(chkStayOnTop, spnOpacity);
    cmdDefault->setFocus();

    // Only a choice in the list counts, not every change of the current index.
    connect(cmbCoding, &QComboBox::activated, this, &frmSettings::cmbCoding_Click);
    connect(cmdText, &QPushButton::clicked, this, &frmSettings::cmdText_Click);
    connect(cmdBackColor, &QPushButton::clicked, this, &frmSettings::cmdBackColor_Click);
    connect(cmdDefault, &QPushButton::clicked, this, &frmSettings::cmdDefault_Click);
    connect(chkDetect, &QCheckBox::clicked, this, &frmSettings::chkDetect_Click);
    connect(chkWrap, &QCheckBox::clicked, this, &frmSettings::chkWrap_Click);
    connect(chkYo, &QCheckBox::clicked, this,
            [this] { settings::writeNumber(settings::YoIsYe, chkYo->isChecked() ? 1 : 0); });

    Form_Load();
}

void frmSettings::Form_Load() {
    cmbCoding->setCurrentIndex(settings::readCoding());
    // The load selection counts as the user's: it is stored and shown even when unchanged.
    cmbCoding_Click();
    CurTextColor = settings::readNumber(settings::TextColor);
    CurBackColor = settings::readNumber(settings::BackColor);
    StoreColors();
    chkDetect->setChecked(settings::readFlag(settings::DetectCoding));
    chkWrap->setChecked(settings::readFlag(settings::WrapLines));
    chkYo->setChecked(settings::readFlag(settings::YoIsYe));
    chkStayOnTop->setChecked(settings::readFlag(settings::StayOnTop));
    const QSignalBlocker quiet(spnOpacity);
    spnOpacity->setValue(settings::readNumber(settings::Opacity));
}

void frmSettings::setUpWindowRow(int top) {
    placeTwips(chkStayOnTop, "chkStayOnTop", 150, top, 1500, 315);
    placeTwips(lblOpacity, "lblOpacity", 1800, top + 30, 700, 255);
    placeTwips(spnOpacity, "spnOpacity", 2520, top, 1095, 315);
    spnOpacity->setRange(settings::Opacity.min, settings::Opacity.max);
    spnOpacity->setSuffix(QStringLiteral(" %"));
    const WindowOptionLimits limits = windowOptionLimits(QGuiApplication::platformName());
    chkStayOnTop->setEnabled(limits.stayOnTop.isEmpty());
    chkStayOnTop->setToolTip(limits.stayOnTop);
    for (QWidget* w : {static_cast<QWidget*>(lblOpacity), static_cast<QWidget*>(spnOpacity)}) {
        w->setEnabled(limits.opacity.isEmpty());
        w->setToolTip(limits.opacity);
    }
    connect(chkStayOnTop, &QCheckBox::clicked, this, &frmSettings::chkStayOnTop_Click);
    connect(spnOpacity, &QSpinBox::valueChanged, this, &frmSettings::spnOpacity_Change);
}

void frmSettings::chkStayOnTop_Click() {
    settings::writeNumber(settings::StayOnTop, chkStayOnTop->isChecked() ? 1 : 0);
    host_.applyWindowOptions();
}

void frmSettings::spnOpacity_Change() {
    settings::writeNumber(settings::Opacity, spnOpacity->value());
    host_.applyWindowOptions();
}

void frmSettings::chkDetect_Click() {
    settings::writeNumber(settings::DetectCoding, chkDetect->isChecked() ? 1 : 0);
}

void frmSettings::chkWrap_Click() {
    settings::writeNumber(settings::WrapLines, chkWrap->isChecked() ? 1 : 0);
    host_.RefreshShow();
}

void frmSettings::StoreColors() {
    // A style sheet reaches both the closed list and its popup, whatever the widget style; the
    // border of its own makes the closed list a flat fill rather than a shaded button face.
    const QString fg = cssColor(CurTextColor);
    const QString bg = cssColor(CurBackColor);
    cmbCoding->setStyleSheet(
        QStringLiteral(
            "QComboBox { color: %1; background-color: %2; border: 1px solid palette(mid);"
            " border-radius: 2px; padding: 0px 4px; }"
            " QComboBox QAbstractItemView { color: %1; background-color: %2; }")
            .arg(fg, bg));
    settings::writeNumber(settings::TextColor, CurTextColor);
    settings::writeNumber(settings::BackColor, CurBackColor);
}

void frmSettings::cmbCoding_Click() {
    // The list is in the codings' own order.
    settings::writeCoding(TextCoding(cmbCoding->currentIndex()));
    host_.RefreshShow();
}

void frmSettings::cmdText_Click() {
    chooseColor(CurTextColor);
}

void frmSettings::cmdBackColor_Click() {
    chooseColor(CurBackColor);
}

void frmSettings::chooseColor(std::int32_t& colour) {
    const auto chosen = prompts_.chooseColor(this, colour);
    if (!chosen) return;  // cancelled: nothing changes
    colour = *chosen;
    StoreColors();
    host_.RefreshShow();
}

void frmSettings::cmdDefault_Click() {
    CurTextColor = settings::TextColor.defaultNumber;
    CurBackColor = settings::BackColor.defaultNumber;
    StoreColors();
    host_.RefreshShow();
}

void frmSettings::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace tresslin
