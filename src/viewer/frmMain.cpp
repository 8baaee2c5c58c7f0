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

#include "book/BookFind.h"
#include "book/CodingDetect.h"
#include "book/ViewRules.h"
#include "book/mdlFiles.h"
#include "book/mdlService.h"
#include "book/mdlText.h"
#include "dialogs/DialogPrompts.h"
#include "dialogs/FixedDialog.h"
#include "formats/BookFormats.h"
#include "platform/BusyCursor.h"
#include "platform/Colors.h"
#include "platform/FileNames.h"
#include "platform/HotKey.h"
#include "platform/Speech.h"
#include "platform/Twips.h"
#include "settings/Settings.h"
#include "viewer/ReadAloud.h"

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
    return on ? QStringLiteral("   Timer: On") : QStringLiteral("   Timer: Off");
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
    imgBack->setToolTip(QStringLiteral("Previous line"));
    placeTwips(imgNext, "imgNext", 5805, 255, 225, 150);
    imgNext->setPixmap(buttonPicture(false, qGuiApp->devicePixelRatio()));
    imgNext->setToolTip(QStringLiteral("Next Line"));
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
}

frmMain::~frmMain() = default;

QString frmMain::fileNameOf(const QString& path) {
    // The book code works on the bytes the file system knows the path by.
    return readablePath(
        pathFromBytes(QByteArray::fromStdString(GetFileName(pathBytes(path).toStdString()))));
}

bool frmMain::OpenBook(const QString& sBookName) {
    const auto fail = [&] {
        const QString text = QStringLiteral("Error Open ") + readablePath(sBookName);
        prompts_.message(this, text, MessageIcon::Warning, QString::fromLatin1(kAppTitle));
        txtView->setText(text);
        // The book being read stays open and is still remembered at shutdown.
        return false;
    };
    // Memory may run out anywhere here (the path, detection, the first display); the open then
    // fails like any other and the book being read comes back whole.
    LineStore previous;
    std::vector<std::int64_t> previousHeadings;
    const bool previousExact = exactHeadings_;
    const QString previousPath = BookPath, previousName = BookName, previousTitle = windowTitle();
    const QString previousCoding = ReadSetting(settings::TextCoding);
    const std::int32_t previousCur = CurLine, previousMax = MaxLine;
    bool replaced = false;
    try {
        BusyCursor busy;
        LineStore loaded;
        // A relative path is made absolute so the book can be reopened from anywhere later.
        const QString absolute = absolutePath(sBookName);
        const std::string path = pathBytes(absolute).toStdString();
        FormattedBook formatted = readFormattedBook(path);
        if (!formatted.ok() ||
            !(formatted.format == BookFormat::PlainText ? ReadBookLines(path, loaded)
                                                        : splitBookLines(formatted.text, loaded)))
            return fail();
        previous = std::move(BookLines);
        previousHeadings = std::move(headings_);
        BookLines = std::move(loaded);
        replaced = true;
        // A FictionBook marks its titles itself; guessing them from the text would only err.
        exactHeadings_ = formatted.format == BookFormat::FictionBook;
        headings_ = std::move(formatted.headings);
        if (formatted.format == BookFormat::FictionBook) {
            // The book's own declaration gave its coding; the text is held as UTF-8.
            settings::writeNumber(settings::TextCoding, kUtf8);
        } else if (settings::readFlag(settings::DetectCoding)) {
            const std::string_view head(BookLines.data(),
                                        std::min(BookLines.byteSize(), kDetectSampleBytes));
            if (const auto coding = detectCoding(head))
                settings::writeNumber(settings::TextCoding, *coding);
        }
        BookPath = absolute;
        CurLine = 0;
        firstPart();
        MaxLine = std::int32_t(BookLines.upperBound());
        BookName = fileNameOf(absolute);
        ShowLine(CurLine);
        return true;
    } catch (const std::exception&) {
    }
    if (replaced) {
        BookLines = std::move(previous);
        headings_ = std::move(previousHeadings);
        exactHeadings_ = previousExact;
        BookPath = previousPath;
        BookName = previousName;
        CurLine = previousCur;
        MaxLine = previousMax;
        if (ReadSetting(settings::TextCoding) != previousCoding)
            WriteSetting(settings::TextCoding, previousCoding);
        setWindowTitle(previousTitle);
    }
    return fail();
}

QString frmMain::displayText(std::int32_t line) const {
    const std::string_view raw = BookLines.line(line);
    const int coding = settings::readNumber(settings::TextCoding);
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
        return text;
    }
    const std::string_view shown = raw.substr(0, std::min(raw.size(), kMaxShownChars));
    const CodingTables& t = tablesFor(coding);
    QString text(qsizetype(shown.size()) + 1, Qt::Uninitialized);
    QChar* out = text.data();
    *out++ = u' ';
    for (const char c : shown) *out++ = QChar(t.toUnicode[static_cast<unsigned char>(c)]);
    return text;
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
    if (line < 0 || line > MaxLine || line >= BookLines.size() ||
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
    return LineWrap(BookLines.line(line), settings::readNumber(settings::TextCoding),
                    WrapMetrics{advance, viewTextWidth()});
}

void frmMain::alignPart(const LineWrap* wrap) {
    // A command that moved to a line without a word of parts shows its first part.
    if (partLine_ != CurLine) {
        partLine_ = CurLine;
        partStart_ = 0;
        partIsStart_ = true;
    }
    if (!wrap) {
        partStart_ = 0;
        return;
    }
    // Another width, font or coding: the part holding the first character shown stays in view.
    const double width = viewTextWidth();
    const int coding = settings::readNumber(settings::TextCoding);
    if (!partIsStart_ || width != wrappedWidth_ || coding != wrappedCoding_ ||
        txtView->font() != wrappedFont_) {
        partStart_ = wrap->partStartAt(partStart_);
        partIsStart_ = true;
        wrappedWidth_ = width;
        wrappedCoding_ = coding;
        wrappedFont_ = txtView->font();
    }
}

bool frmMain::stepForward() {
    const auto wrap = wrapOf(CurLine);
    alignPart(wrap ? &*wrap : nullptr);
    if (wrap) {
        if (const auto next = wrap->nextStart(partStart_)) {
            partStart_ = *next;
            return true;
        }
    }
    if (CurLine >= MaxLine) return false;
    ++CurLine;
    return true;
}

bool frmMain::stepBack() {
    const auto wrap = wrapOf(CurLine);
    alignPart(wrap ? &*wrap : nullptr);
    if (wrap && partStart_ > 0) {
        partStart_ = wrap->prevStart(partStart_).value_or(0);
        return true;
    }
    if (CurLine <= 0) return false;
    --CurLine;
    if (const auto previous = wrapOf(CurLine)) {
        partLine_ = CurLine;
        partStart_ = previous->lastStart();
    }
    return true;
}

bool frmMain::IsBookOpen() const {
    if (MaxLine >= 1) return true;
    // A book of one line that reads in parts is read with the keys like any other.
    const auto wrap = wrapOf(0);
    return wrap && wrap->nextStart(0).has_value();
}

void frmMain::rewrapView() {
    // Only a part of the book on view is re-wrapped, never a start or error text.
    if (shownPart_.isEmpty() || txtView->text() != shownPart_) return;
    const auto wrap = wrapOf(CurLine);
    if (!wrap) return;
    alignPart(&*wrap);
    shownPart_ =
        QString::fromStdU16String(wrap->displayText(partStart_, wrap->partEnd(partStart_)));
    txtView->setText(shownPart_);
    txtView->setCursorPosition(0);
}

void frmMain::ShowLine(std::int32_t n) {
    ApplyColors();
    if (n >= 0 && n <= MaxLine && n < BookLines.size()) {
        const auto wrap = wrapOf(n);
        alignPart(wrap ? &*wrap : nullptr);
        shownPart_ = wrap ? QString::fromStdU16String(
                                wrap->displayText(partStart_, wrap->partEnd(partStart_)))
                          : displayText(n);
        txtView->setText(shownPart_);
    }
    txtView->setCursorPosition(0);
    ShowCaptionStatus(lineStatus());
    notePlace();
}

void frmMain::RefreshShow() {
    ShowLine(CurLine);
}

void frmMain::ShowCaptionStatus(const QString& sAddText) {
    const double p = percentage(CurLine, MaxLine);
    const QString point = QLocale().decimalPoint();
    setWindowTitle(BookName + QStringLiteral("  line: ") + QString::number(qint64(CurLine) + 1) +
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
    const QColor backColor = colorFromValue(back, system);
    if (p.color(QPalette::Text) == textColor && p.color(QPalette::Base) == backColor) return;
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Text, textColor);
        p.setColor(group, QPalette::Base, backColor);
    }
    txtView->setPalette(p);
}

void frmMain::bringBack() {
    restoreAndActivate(this);
}

void frmMain::TimerOff() {
    if (readAloud_) readAloud_->stop();
    if (!tmrAutoShow.isActive()) return;
    tmrAutoShow.stop();
    ShowCaptionStatus(timerStatus(false));
}

void frmMain::startAutoShow(int interval) {
    if (readAloud_) readAloud_->stop();
    tmrAutoShow.setInterval(interval);
    tmrAutoShow.start();
    ShowCaptionStatus(timerStatus(true));
}

void frmMain::tmrAutoShow_Timer() {
    if (!IsBookOpen() || !stepForward()) {
        tmrAutoShow.stop();
        ShowCaptionStatus(timerStatus(false));
        return;
    }
    ShowLine(CurLine);
}

void frmMain::imgBack_Click() {
    TimerOff();
    if (IsBookOpen()) imgBack->setBorderStyle(1);
    if (stepBack()) ShowLine(CurLine);
    imgBack->setBorderStyle(0);
}

void frmMain::imgNext_Click() {
    TimerOff();
    if (IsBookOpen()) imgNext->setBorderStyle(1);
    if (stepForward()) ShowLine(CurLine);
    imgNext->setBorderStyle(0);
}

}  // namespace tresslin
