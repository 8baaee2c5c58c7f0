#include "dialogs/frmTimer.h"

#include <QCheckBox>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "book/ReadingPace.h"
#include "dialogs/DialogHost.h"
#include "dialogs/FixedDialog.h"
#include "settings/Settings.h"
#include "settings/StoredNumbers.h"

namespace tresslin {

namespace {

// Some styles jump the thumb to a click on the track; the interval must move by one step.
class StepTrackStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ScrollBar_LeftClickAbsolutePosition) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QPixmap paintClockFace(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double c = size / 2.0;
    const double r = c - size / 16.0;
    p.setPen(QPen(QColor(40, 40, 40), size / 16.0));
    p.setBrush(QColor(250, 250, 240));
    p.drawEllipse(QPointF(c, c), r, r);
    // Hour marks at 12, 3, 6 and 9.
    p.setPen(QPen(QColor(40, 40, 40), size / 20.0, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 4; ++i) {
        const double a = i * std::numbers::pi / 2;
        p.drawLine(QPointF(c + std::cos(a) * r * 0.72, c + std::sin(a) * r * 0.72),
                   QPointF(c + std::cos(a) * r * 0.9, c + std::sin(a) * r * 0.9));
    }
    // Hands at ten past ten.
    p.setPen(QPen(QColor(20, 20, 20), size / 12.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c, c), QPointF(c - r * 0.42, c - r * 0.3));
    p.setPen(QPen(QColor(20, 20, 20), size / 16.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c, c), QPointF(c + r * 0.55, c - r * 0.45));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(190, 30, 30));
    p.drawEllipse(QPointF(c, c), size / 14.0, size / 14.0);
    return pm;
}

QIcon clockIcon() {
    // The drawn icon when the resources have it in a form this Qt can render (the SVG needs
    // the image plugin); a face painted here otherwise.
    for (const char* path : {":/icons/clock.svg", ":/icons/clock.png"}) {
        const QString name = QString::fromLatin1(path);
        if (!QFile::exists(name)) continue;
        QIcon icon(name);
        if (!icon.pixmap(16, 16).isNull()) return icon;
    }
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(paintClockFace(size));
    return icon;
}

}  // namespace

frmTimer::frmTimer(QWidget* parent, DialogHost& host)
    : QDialog(parent),
      host_(host),
      cmdRun(new QPushButton(tr("Run"), this)),
      txtTime(new QLineEdit(this)),
      vscInterval(new QScrollBar(Qt::Vertical, this)),
      Label1(new QLabel(tr("Time Interval:"), this)),
      Label2(new QLabel(tr("mSec"), this)),
      chkWordsAMinute(new QCheckBox(tr("Words a minute:"), this)),
      spnWordsAMinute(new QSpinBox(this)) {
    setUpFixedDialog(*this, "frmTimer", tr("Timer"), 3330, 420 + 375);
    setWindowIcon(clockIcon());

    placeTwips(Label1, "Label1", 120, 0, 735, 375);
    placeTwips(txtTime, "txtTime", 960, 0, 615, 375);
    placeTwips(vscInterval, "vscInterval", 1560, 0, 255, 375);
    placeTwips(Label2, "Label2", 1905, 75, 510, 255);
    placeTwips(cmdRun, "cmdRun", 2520, 0, 735, 375);

    // The label is two text lines tall: its caption breaks after "Time".
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Nothing reads the box back; it only shows the scroll bar's value.
    txtTime->setReadOnly(true);

    // Minimum at the top: the up arrow lowers the interval, the down arrow raises it.
    auto* trackStyle = new StepTrackStyle;
    trackStyle->setParent(vscInterval);
    vscInterval->setStyle(trackStyle);
    vscInterval->setRange(kIntervalMin, kIntervalMax);
    vscInterval->setSingleStep(kIntervalStep);
    vscInterval->setPageStep(kIntervalStep);
    vscInterval->setValue(kIntervalMin);
    vscInterval->setFocusPolicy(Qt::StrongFocus);

    noDefaultButtons({cmdRun});
    setTabOrder(cmdRun, txtTime);
    setTabOrder(txtTime, vscInterval);
    cmdRun->setFocus();

    connect(vscInterval, &QScrollBar::valueChanged, this, &frmTimer::vscInterval_Change);
    connect(cmdRun, &QPushButton::clicked, this, &frmTimer::cmdRun_Click);

    LoadInterval();
    setUpPaceRow();
    fitLabel();
}

void frmTimer::fitLabel() {
    // A translation may hold a word wider than the label: what stands right of it moves over
    // and the dialog widens, so no word is cut.
    const QFontMetrics metrics(Label1->font());
    int widest = 0;
    for (const QString& word : Label1->text().split(QLatin1Char(' '), Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    const int more = widest - Label1->contentsRect().width();
    if (more <= 0) return;
    const int right = Label1->geometry().right();
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->x() > right) w->move(w->x() + more, w->y());
    Label1->resize(Label1->width() + more, Label1->height());
    setFixedSize(width() + more, height());
}

void frmTimer::setUpPaceRow() {
    placeTwips(chkWordsAMinute, "chkWordsAMinute", 120, 420, 1800, 315);
    placeTwips(spnWordsAMinute, "spnWordsAMinute", 1905, 420, 1350, 315);
    spnWordsAMinute->setRange(kWordsAMinuteMin, kWordsAMinuteMax);
    spnWordsAMinute->setSingleStep(10);
    const int stored = settings::readNumber(settings::WordsAMinute);
    chkWordsAMinute->setChecked(stored > 0);
    spnWordsAMinute->setValue(stored > 0 ? stored : kWordsAMinuteDefault);
    spnWordsAMinute->setEnabled(stored > 0);
    chkWordsAMinute->setToolTip(
        tr("Each part stays as long as its words take at this pace, longer at a paragraph's end"));
    setTabOrder(vscInterval, chkWordsAMinute);
    setTabOrder(chkWordsAMinute, spnWordsAMinute);
    connect(chkWordsAMinute, &QCheckBox::toggled, this, &frmTimer::storePace);
    connect(spnWordsAMinute, &QSpinBox::valueChanged, this, &frmTimer::storePace);
}

void frmTimer::storePace() {
    spnWordsAMinute->setEnabled(chkWordsAMinute->isChecked());
    settings::writeNumber(settings::WordsAMinute,
                          chkWordsAMinute->isChecked() ? spnWordsAMinute->value() : 0);
}

void frmTimer::LoadInterval() {
    const std::int32_t interval = settings::readNumber(settings::TimerInterval);
    // A value other than the initial one fires the change handler, which stores it.
    vscInterval->setValue(interval);
    txtTime->setText(QString::number(vscInterval->value()));
}

void frmTimer::vscInterval_Change() {
    const QString text = QString::number(vscInterval->value());
    txtTime->setText(text);
    WriteSetting(settings::TimerInterval, text);
}

void frmTimer::cmdRun_Click() {
    host_.startAutoShow(vscInterval->value());
    accept();
}

void frmTimer::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            reject();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            cmdRun_Click();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

}  // namespace tresslin
