#include "dialogs/frmFind.h"

#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "dialogs/FixedDialog.h"

namespace tresslin {

namespace {
// Only the blank counts as empty: a text of tabs can still be searched for.
bool HoldsMoreThanBlanks(const QString& text) {
    for (const QChar c : text) {
        if (c != u' ') return true;
    }
    return false;
}
}  // namespace

frmFind::frmFind(QWidget* parent)
    : QDialog(parent),
      Label1(new QLabel(QStringLiteral("Find What:"), this)),
      txtFind(new QLineEdit(this)),
      cmdFind(new QPushButton(QStringLiteral("Find"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this)),
      Label2(new QLabel(QStringLiteral("F3 - Find Next   (do not show this dialog)"), this)) {
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find"));
    SetFixedDialogFrame(*this, 4995, 885);
    QFont font(QStringLiteral("Arial"), 9);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    Label1->setObjectName(QStringLiteral("Label1"));
    txtFind->setObjectName(QStringLiteral("txtFind"));
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    Label2->setObjectName(QStringLiteral("Label2"));

    PlaceTwips(Label1, 75, 0, 975, 315);
    PlaceTwips(txtFind, 75, 240, 3765, 375);
    PlaceTwips(cmdFind, 3960, 15, 975, 285);
    PlaceTwips(cmdCancel, 3960, 330, 975, 285);
    PlaceTwips(Label2, 75, 645, 4815, 285);

    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Enter and Esc belong to the form's own key handling, never to a default button.
    for (QPushButton* b : {cmdFind, cmdCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    cmdFind->setEnabled(false);
    setTabOrder(txtFind, cmdFind);
    setTabOrder(cmdFind, cmdCancel);
    txtFind->setFocus();

    connect(txtFind, &QLineEdit::textChanged, this, &frmFind::txtFind_Change);
    connect(cmdFind, &QPushButton::clicked, this, &frmFind::cmdFind_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFind::cmdCancel_Click);
}

bool frmFind::ShowFind(QString& sFind) {
    Accepted = false;
    AcceptedText.clear();
    txtFind->setText(sFind);
    txtFind->selectAll();
    txtFind->setFocus();
    exec();
    if (!Accepted) return false;
    sFind = AcceptedText;
    return true;
}

void frmFind::cmdFind_Click() {
    Accepted = true;
    AcceptedText = txtFind->text();
    accept();
}

void frmFind::cmdCancel_Click() {
    reject();
}

void frmFind::txtFind_Change() {
    cmdFind->setEnabled(HoldsMoreThanBlanks(txtFind->text()));
}

// The line edit and the buttons leave Enter and Esc unhandled, so they arrive here whichever
// control has the focus.
void frmFind::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            Form_KeyDown(event->key());
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void frmFind::Form_KeyDown(int key) {
    if (key == Qt::Key_Escape) {
        cmdCancel_Click();
    } else if (cmdFind->isEnabled()) {
        cmdFind_Click();
    }
}

}  // namespace tresslin
