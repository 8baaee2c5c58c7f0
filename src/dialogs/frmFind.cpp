#include "dialogs/frmFind.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "dialogs/FixedDialog.h"

namespace tresslin {

frmFind::frmFind(QWidget* parent)
    : QDialog(parent),
      Label1(new QLabel(tr("Find What:"), this)),
      txtFind(new QLineEdit(this)),
      cmdFind(new QPushButton(tr("Find"), this)),
      cmdCancel(new QPushButton(tr("Cancel"), this)),
      Label2(new QLabel(tr("F3 - Find Next   (do not show this dialog)"), this)) {
    setUpFixedDialog(*this, "frmFind", tr("Find"), 4995, 885);

    placeTwips(Label1, "Label1", 75, 0, 975, 315);
    placeTwips(txtFind, "txtFind", 75, 240, 3765, 375);
    placeTwips(cmdFind, "cmdFind", 3960, 15, 975, 285);
    placeTwips(cmdCancel, "cmdCancel", 3960, 330, 975, 285);
    placeTwips(Label2, "Label2", 75, 645, 4815, 285);

    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    noDefaultButtons({cmdFind, cmdCancel});
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
    // Only the blank counts as empty: a text of tabs can still be searched for.
    const QString text = txtFind->text();
    cmdFind->setEnabled(std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c != u' '; }));
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
