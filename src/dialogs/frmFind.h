// The find dialog: asks for the text to look for and hands it back; it searches nothing itself.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tresslin {

class frmFind : public QDialog {
    Q_OBJECT
  public:
    explicit frmFind(QWidget* parent = nullptr);

    // Shows the dialog with sFind proposed. True with the confirmed text, untrimmed, in sFind;
    // false with sFind untouched.
    bool ShowFind(QString& sFind);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void cmdFind_Click();
    void cmdCancel_Click();
    void Form_KeyDown(int key);
    void txtFind_Change();

    // Read after exec() has returned, so they live on the object rather than in the window.
    bool Accepted = false;
    QString AcceptedText;

    QLabel* Label1;
    QLineEdit* txtFind;
    QPushButton* cmdFind;
    QPushButton* cmdCancel;
    QLabel* Label2;
};

}  // namespace tresslin
