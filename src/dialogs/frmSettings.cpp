#include "dialogs/frmSettings.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <iterator>

#include "book/mdlFiles.h"
#include "dialogs/ChapterRuleRow.h"
#include "dialogs/DialogHost.h"
#include "dialogs/FixedDialog.h"
#include "dialogs/FontButton.h"
#include "dialogs/OutOfSightBox.h"
#include "dialogs/SettingsPage.h"
#include "dialogs/SpeechRow.h"
#include "dialogs/SyncPage.h"
#include "platform/Colors.h"
#include "platform/Prompts.h"
#include "platform/WindowOptions.h"
#include "settings/Settings.h"

namespace tresslin {

namespace {

// Entry i is coding index i; a coding added to the book text needs its name here.
constexpr const char* kCodingNames[] = {
    QT_TRANSLATE_NOOP("tresslin::frmSettings", "Windows Cyrillic"),
    QT_TRANSLATE_NOOP("tresslin::frmSettings", "DOS Cyrillic"), "KOI8-R", "UTF-8"};
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
      tabPages(new QTabWidget(this)),
      Label1(new QLabel(tr("Text Coding:"))),
      cmbCoding(new QComboBox),
      fraColors(new QGroupBox(tr("Select Colors:"))),
      cmdBackColor(new QPushButton(tr("Back Color"), fraColors)),
      cmdText(new QPushButton(tr("Text Color"), fraColors)),
      cmdDefault(new QPushButton(tr("Default"), fraColors)) {
    // An empty icon would fall back to the application's; a transparent one shows nothing.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));
    setUpFixedDialog(*this, "frmSettings", tr("Settings"));
    tabPages->setObjectName(QStringLiteral("tabPages"));
    (new QVBoxLayout(this))->addWidget(tabPages);
    // The dialog takes the size its largest page asks for, in any language.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    addPage(tr("Text"), textPage());
    addPage(tr("Window"), windowPage());
    addPage(tr("Reading aloud"), new SpeechRow(nullptr, host.voice()));
    addPage(tr("Chapters"), new ChapterRuleRow(nullptr));
    addPage(tr("Sync"), new SyncPage(nullptr));

    cmdDefault->setFocus();
    Form_Load();
}

void frmSettings::addPage(const QString& title, QWidget* page) {
    // A block placed by hand, without a layout, still gets the room its controls take.
    if (!page->layout()) {
        const QPoint corner = page->childrenRect().bottomRight() + QPoint(9, 9);
        page->setMinimumSize(corner.x(), corner.y());
    }
    tabPages->addTab(page, title);
}

SettingsPage* frmSettings::textPage() {
    auto* page = new SettingsPage(nullptr);
    Label1->setObjectName(QStringLiteral("Label1"));
    cmbCoding->setObjectName(QStringLiteral("cmbCoding"));
    cmbCoding->setEditable(false);
    cmbCoding->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (const char* name : kCodingNames) cmbCoding->addItem(tr(name));
    page->addRow(Label1, cmbCoding);

    fraColors->setObjectName(QStringLiteral("fraColors"));
    cmdBackColor->setObjectName(QStringLiteral("cmdBackColor"));
    cmdText->setObjectName(QStringLiteral("cmdText"));
    cmdDefault->setObjectName(QStringLiteral("cmdDefault"));
    auto* buttons = new QHBoxLayout(fraColors);
    for (QPushButton* b : {cmdBackColor, cmdText, cmdDefault}) buttons->addWidget(b);
    page->addRow(fraColors);
    noDefaultButtons({cmdBackColor, cmdText, cmdDefault});
    page->addRow(new FontButton(page, host_, prompts_), Qt::AlignLeft);

    QCheckBox* chkDetect =
        page->addFlag("chkDetect", tr("Detect coding on open"), settings::DetectCoding);
    QCheckBox* chkWrap = page->addFlag("chkWrap", tr("Wrap long lines"), settings::WrapLines,
                                       [this] { host_.RefreshShow(); });
    QCheckBox* chkYo = page->addFlag("chkYo", tr("Find ё as е"), settings::YoIsYe);

    setTabOrder(cmdDefault, cmbCoding);
    setTabOrder(cmbCoding, cmdText);
    setTabOrder(cmdText, cmdBackColor);
    setTabOrder(cmdBackColor, chkDetect);
    setTabOrder(chkDetect, chkWrap);
    setTabOrder(chkWrap, chkYo);

    // Only a choice in the list counts, not every change of the current index.
    connect(cmbCoding, &QComboBox::activated, this, &frmSettings::cmbCoding_Click);
    connect(cmdText, &QPushButton::clicked, this, &frmSettings::cmdText_Click);
    connect(cmdBackColor, &QPushButton::clicked, this, &frmSettings::cmdBackColor_Click);
    connect(cmdDefault, &QPushButton::clicked, this, &frmSettings::cmdDefault_Click);
    return page;
}

SettingsPage* frmSettings::windowPage() {
    auto* page = new SettingsPage(nullptr);
    const auto apply = [this] { host_.applyWindowOptions(); };
    QCheckBox* chkStayOnTop =
        page->addFlag("chkStayOnTop", tr("Stay on top"), settings::StayOnTop, apply);
    QSpinBox* spnOpacity = page->addNumber("lblOpacity", tr("Opacity:"), "spnOpacity",
                                           settings::Opacity, QStringLiteral(" %"), apply);
    const WindowOptionLimits limits = windowOptionLimits(QGuiApplication::platformName());
    SettingsPage::limit(chkStayOnTop, limits.stayOnTop);
    SettingsPage::limit(spnOpacity, limits.opacity);
    page->addRow(new OutOfSightBox(page, host_));
    return page;
}

void frmSettings::Form_Load() {
    cmbCoding->setCurrentIndex(settings::readCoding());
    // The load selection counts as the user's: it is stored and shown even when unchanged.
    cmbCoding_Click();
    CurTextColor = settings::readNumber(settings::TextColor);
    CurBackColor = settings::readNumber(settings::BackColor);
    StoreColors();
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
