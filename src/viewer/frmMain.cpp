// The window itself, the line display and the caption.
#include "viewer/frmMain.h"

#include <QEvent>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionFrame>

#include "book/mdlFiles.h"
#include "dialogs/DialogPrompts.h"
#include "dialogs/FixedDialog.h"
#include "platform/Activation.h"
#include "platform/BusyCursor.h"
#include "platform/Colors.h"
#include "platform/FileNames.h"
#include "platform/HotKey.h"
#include "platform/Speech.h"
#include "platform/Twips.h"
#include "settings/Settings.h"
#include "sync/SyncSession.h"
#include "viewer/OutOfSight.h"
#include "viewer/ReadAloud.h"
#include "viewer/WindowRules.h"

// The icons are linked into a static library, whose resources must be registered by hand.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

namespace tresslin {

namespace {
// A line box holds at most 32767 characters, the leading blank included; longer lines are cut
// before conversion, so a book of one enormous line still displays at once.
constexpr std::size_t kMaxShownChars = 32766;

QString timerStatus(bool on) {
    return on ? QCoreApplication::translate("tresslin::frmMain", "   Timer: On")
              : QCoreApplication::translate("tresslin::frmMain", "   Timer: Off");
}

}  // namespace

frmMain::frmMain(DialogPrompts& prompts, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      prompts_(prompts),
      txtView(new QLineEdit(this)),
      imgBack(new ImageButton(this)),
      imgNext(new ImageButton(this)),
      readingPlace_([this] {
          if (!isMinimized()) SavePosition();
      }) {
    initResources();
    setObjectName(QStringLiteral("frmMain"));
    QFont font = programFont();
    // Cyrillic and Latin need no shaping; skipping it halves the line edit's layout of each line.
    font.setStyleStrategy(QFont::PreferNoShaping);
    setFont(font);
    // The window itself holds the focus and sees every key; nothing inside can take it.
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_QuitOnClose, true);

    placeTwips(txtView, "txtView", 60, 60, 5685, 375);
    txtView->setReadOnly(true);
    txtView->setFocusPolicy(Qt::NoFocus);
    txtView->setContextMenuPolicy(Qt::NoContextMenu);

    placeTwips(imgBack, "imgBack", 5790, 75, 225, 150);
    imgBack->setPixmap(buttonPicture(true, qGuiApp->devicePixelRatio()));
    imgBack->setToolTip(tr("Previous line"));
    placeTwips(imgNext, "imgNext", 5805, 255, 225, 150);
    imgNext->setPixmap(buttonPicture(false, qGuiApp->devicePixelRatio()));
    imgNext->setToolTip(tr("Next Line"));
    connect(imgBack, &ImageButton::clicked, this, &frmMain::imgBack_Click);
    connect(imgNext, &ImageButton::clicked, this, &frmMain::imgNext_Click);

    tmrAutoShow.setObjectName(QStringLiteral("tmrAutoShow"));
    tmrAutoShow.setInterval(0);
    connect(&tmrAutoShow, &QTimer::timeout, this, &frmMain::tmrAutoShow_Timer);

    for (QScreen* screen : QGuiApplication::screens()) watchScreen(screen);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &frmMain::watchScreen);
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &frmMain::keepOnScreenSoon);

    resize(twipsToPixels(6075), twipsToPixels(480));
    LoadHeight = height();
    // The strip may be made wider or narrower, never taller.
    setFixedHeight(LoadHeight);
    outOfSight_ = std::make_unique<OutOfSight>(*this);
    syncSetUp();
}

frmMain::~frmMain() = default;

bool frmMain::OpenBook(const BookLocation& sBookName) {
    // Memory may run out anywhere here (the path, detection, the first display); the open then
    // fails like any other and the book being read stays as it was.
    try {
        std::optional<BusyCursor> busy(std::in_place);
        const bool detect = settings::readFlag(settings::DetectCoding);
        std::vector<FormattedBook::ArchivedBook> several;
        std::optional<OpenedBook> opened = openBook(sBookName, detect, &several);
        if (!opened && !several.empty()) {
            QList<ArchiveEntry> books;
            for (const auto& b : several) books.append({shownBytes(b.name), b.size});
            busy.reset();
            // At start-up the window is not shown yet, and a window manager need not map a
            // dialog that belongs to an unmapped window.
            const std::optional<int> chosen =
                prompts_.showArchive(isVisible() ? this : nullptr, books);
            if (!chosen || *chosen < 0 || *chosen >= books.size()) {
                // Esc: the book being read stays, as it was shown.
                if (!book_.lines.empty()) ShowLine();
                return false;
            }
            busy.emplace();
            opened = openBook({sBookName.file, several[std::size_t(*chosen)].name}, detect);
        }
        if (opened) {
            // Only the first display may still fail; it then puts the book being read back.
            const TextCoding coding = settings::readCoding();
            const QString title = windowTitle();
            const ReadingCursor cursor = cursor_;
            std::swap(book_, *opened);
            headingList_.known = false;
            try {
                if (book_.coding) settings::writeCoding(*book_.coding);
                cursor_.moveTo(0);
                ShowLine();
                if (!book_.convertedFrom.isEmpty())
                    ShowCaptionStatus(tr("   Coding: %1").arg(book_.convertedFrom));
                syncOpened();
                return true;
            } catch (const std::exception&) {
                std::swap(book_, *opened);
                cursor_ = cursor;
                if (settings::readCoding() != coding) settings::writeCoding(coding);
                setWindowTitle(title);
            }
        }
    } catch (const std::exception&) {
    }
    const QString text = tr("Error Open ") + shownText(sBookName);
    prompts_.message(this, text, MessageIcon::Warning, QString::fromLatin1(kAppTitle));
    txtView->setText(text);
    // The book being read stays open and is still remembered at shutdown.
    return false;
}

QString frmMain::displayText(std::int32_t line) const {
    const std::string_view raw = book_.lines.line(line);
    const TextCoding coding = settings::readCoding();
    if (coding == kUtf8) {
        // Decode no more than the box can hold, never cutting a character in two.
        std::size_t cut = std::min(raw.size(), kMaxShownChars * 4);
        for (int back = 0; back < 3 && cut < raw.size() && cut > 0 &&
                           (static_cast<unsigned char>(raw[cut]) & 0xC0) == 0x80;
             ++back)
            --cut;
        QString text = QStringLiteral(" ") + QString::fromUtf8(raw.data(), qsizetype(cut));
        qsizetype keep = std::min<qsizetype>(text.size(), qsizetype(kMaxShownChars) + 1);
        if (keep < text.size() && text[keep].isLowSurrogate()) --keep;
        text.truncate(keep);
        return text.remove(QChar(kSoftHyphen));
    }
    const std::string_view shown = raw.substr(0, std::min(raw.size(), kMaxShownChars));
    const CodingTables& t = tablesFor(coding);
    QString text(qsizetype(shown.size()) + 1, Qt::Uninitialized);
    QChar* out = text.data();
    *out++ = u' ';
    for (const char c : shown) *out++ = QChar(t.toUnicode[static_cast<unsigned char>(c)]);
    return text.remove(QChar(kSoftHyphen));
}

double frmMain::viewTextWidth() const {
    QStyleOptionFrame option;
    option.initFrom(txtView);
    option.rect = txtView->contentsRect();
    option.lineWidth =
        txtView->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, txtView);
    const QRect text =
        txtView->style()->subElementRect(QStyle::SE_LineEditContents, &option, txtView);
    // QLineEdit keeps a margin of two pixels on each side inside that rectangle.
    return text.width() - 4;
}

std::optional<LineWrap> frmMain::wrapOf(std::int32_t line) const {
    if (line < 0 || line > book_.maxLine() || line >= book_.lines.size() ||
        !settings::readFlag(settings::WrapLines))
        return std::nullopt;
    const QFont font = txtView->font();
    if (font != advanceFont_) {
        advanceFont_ = font;
        advances_.fill(-1);
    }
    const QFontMetricsF metrics(font);
    auto advance = [this, metrics](char32_t c) {
        if (c < advances_.size()) {
            double& a = advances_[c];
            if (a < 0) a = metrics.horizontalAdvance(QChar(char16_t(c)));
            return a;
        }
        return metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
    };
    return LineWrap(book_.lines.line(line), settings::readCoding(),
                    WrapMetrics{advance, viewTextWidth()});
}

void frmMain::checkLayout() {
    if (!settings::readFlag(settings::WrapLines)) return;
    Layout now{viewTextWidth(), settings::readCoding(), txtView->font()};
    if (now == wrappedFor_) return;
    wrappedFor_ = std::move(now);
    cursor_.relayout();
}

bool frmMain::stepForward() {
    checkLayout();
    notePace();
    return cursor_.forward(book_.maxLine(), [this](std::int32_t line) { return wrapOf(line); });
}

bool frmMain::stepBack() {
    checkLayout();
    return cursor_.back([this](std::int32_t line) { return wrapOf(line); });
}

bool frmMain::IsBookOpen() const {
    // A book of one line that reads in parts is read with the keys like any other.
    return readsOn(book_.maxLine(), [this](std::int32_t line) { return wrapOf(line); });
}

void frmMain::rewrapView() {
    // Only a part of the book on view is re-wrapped, never a start or error text.
    if (shownPart_.isEmpty() || txtView->text() != shownPart_) return;
    const auto wrap = wrapOf(cursor_.line());
    if (!wrap) return;
    checkLayout();
    const std::size_t start = cursor_.partStart(&*wrap);
    shownPart_ = QString::fromStdU16String(wrap->displayText(start, wrap->partEnd(start)));
    txtView->setText(shownPart_);
    txtView->setCursorPosition(0);
}

void frmMain::ShowLine() {
    ApplyColors();
    const std::int32_t n = cursor_.line();
    if (n >= 0 && n <= book_.maxLine() && n < book_.lines.size()) {
        checkLayout();
        const auto wrap = wrapOf(n);
        const std::size_t start = cursor_.partStart(wrap ? &*wrap : nullptr);
        shownStart_ = start;
        partShown_.start();
        shownPart_ = wrap
                         ? QString::fromStdU16String(wrap->displayText(start, wrap->partEnd(start)))
                         : displayText(n);
        txtView->setText(shownPart_);
    }
    txtView->setCursorPosition(0);
    ShowCaptionStatus(lineStatus());
    notePlace();
}

void frmMain::RefreshShow() {
    ShowLine();
}

void frmMain::ShowCaptionStatus(const QString& sAddText) {
    const std::int32_t line = cursor_.line();
    const double p = percentage(line, book_.maxLine());
    const QString point = QLocale().decimalPoint();
    setWindowTitle(book_.name + tr("  line: ") + QString::number(qint64(line) + 1) +
                   QStringLiteral("  (") +
                   QString::fromStdString(formatPercent(p, point.toStdString())) +
                   QStringLiteral("%)") + sAddText);
}

void frmMain::ApplyColors() {
    const std::int32_t text = settings::readNumber(settings::TextColor);
    const std::int32_t back = settings::readNumber(settings::BackColor);
    const QPalette system = palette();
    QPalette p = txtView->palette();
    const QColor textColor = colorFromValue(text, system);
    QColor backColor = colorFromValue(back, system);
    if (outOfSight_) backColor.setAlphaF(outOfSight_->backgroundAlpha());
    if (p.color(QPalette::Text) == textColor && p.color(QPalette::Base) == backColor) return;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Text, textColor);
        p.setColor(group, QPalette::Base, backColor);
    }
    txtView->setPalette(p);
}

void frmMain::bringBack(const QString& token) {
    useActivationToken(this, token);
    restoreAndActivate(this);
    if (sync_) sync_->pull();
}

void frmMain::TimerOff() {
    if (readAloud_) readAloud_->stop();
    if (!tmrAutoShow.isActive()) return;
    tmrAutoShow.stop();
    ShowCaptionStatus(timerStatus(false));
}

void frmMain::startAutoShow(int interval) {
    if (readAloud_) readAloud_->stop();
    const int pace = paceInterval();
    tmrAutoShow.setInterval(pace >= 0 ? pace : interval);
    tmrAutoShow.start();
    ShowCaptionStatus(timerStatus(true));
}

void frmMain::tmrAutoShow_Timer() {
    if (!IsBookOpen() || !stepForward()) {
        tmrAutoShow.stop();
        ShowCaptionStatus(timerStatus(false));
        return;
    }
    ShowLine();
    if (const int pace = paceInterval(); pace >= 0) tmrAutoShow.setInterval(pace);
}

void frmMain::imgBack_Click() {
    TimerOff();
    if (IsBookOpen()) imgBack->setBorder(true);
    if (stepBack()) ShowLine();
    imgBack->setBorder(false);
}

void frmMain::imgNext_Click() {
    TimerOff();
    if (IsBookOpen()) imgNext->setBorder(true);
    if (stepForward()) ShowLine();
    imgNext->setBorder(false);
}

}  // namespace tresslin
