// The main window: a strip one text line high that shows one line of the open book.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <memory>

#include "mdlDeclarations.h"

namespace tresslin {

class Prompts;
class ActivationHotKey;

// A picture that acts as a button: clicked on release, with a border as press feedback.
class ImageButton : public QLabel {
    Q_OBJECT
  public:
    explicit ImageButton(QWidget* parent = nullptr);
    // 0 none, 1 a fixed single line.
    void setBorderStyle(int style);
    int borderStyle() const { return borderStyle_; }

  signals:
    void clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int borderStyle_ = 0;
};

class frmMain : public QWidget {
    Q_OBJECT
  public:
    explicit frmMain(Prompts& prompts, QWidget* parent = nullptr);
    ~frmMain() override;

    // Public operations used by the dialogs.
    bool OpenBook(const QString& sBookName);
    void RefreshShow();
    void ShowCaptionStatus(const QString& sAddText);
    QTimer& autoShowTimer() { return tmrAutoShow; }

    // Start-up: arguments are those after the program's name, already split.
    void Form_Load(const QStringList& arguments);

    // Handlers, public so tests can drive them directly.
    void Form_KeyDown(int key, int shift);
    void tmrAutoShow_Timer();
    void imgBack_Click();
    void imgNext_Click();

    // Book state, read by tests and dialogs.
    const QString& bookPath() const { return BookPath; }
    const QString& bookName() const { return BookName; }
    std::int32_t curLine() const { return CurLine; }
    std::int32_t maxLine() const { return MaxLine; }
    const LineStore& bookLines() const { return BookLines; }
    const QString& findText() const { return FindText; }
    const QString& lastFile() const { return LastFile; }
    std::int32_t lastLine() const { return LastLine; }
    QLineEdit* view() const { return txtView; }
    Prompts& prompts() const { return prompts_; }

    // The text of the commands list and its title.
    static QString CommandsListText();
    static QString CommandsListTitle();

    // The shift state of a key event: 1 Shift, 2 Ctrl, 4 Alt; a modifier key pressed alone
    // counts as its own state.
    static int ShiftState(int key, Qt::KeyboardModifiers modifiers);
    // The Latin key for a letter typed on a Cyrillic layout, so Ctrl+O works on any layout.
    static int LatinKey(int key);
    // The text without leading and trailing blanks (code 32 only; tabs stay).
    static QString TrimBlanks(const QString& s);
    // The file-name part of a path, as shown in the caption and the start text.
    static QString FileNameOf(const QString& path);

    // Ends the program the way Esc does; also used for SIGTERM and the end of the session.
    void Unload();
    bool isUnloaded() const { return unloaded_; }
    // Whether keypad plus reaches the window through the X11 grab.
    bool hasHotKey() const;

  protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

  private:
    // Display.
    void ShowLine(std::int32_t n);
    void ApplyColors();
    void TimerOff();
    QString DisplayText(std::int32_t line) const;

    // Keys.
    void HandleGeneralKey(int key, int shift);
    void HandleGeneralCtrlKey(int key);
    bool IsBookOpen() const { return MaxLine >= 1; }
    void HandleBookKey(int key, int shift);
    void HandleBookCtrlKey(int key);
    void HandleMoveKey(int key);
    void ShowCommandsList();

    // Commands.
    void OpenNewText();
    void GoToLine();
    void FindCommand(bool Again);
    void FindNext();

    // Layout and position.
    void RestorePosition();
    void Form_Resize();
    void SavePosition();
    void ApplyPendingWidth();
    void Form_QueryUnload();
    void Form_Unload();
    void UnloadAllForms();
    static void EndEventLoops();

    Prompts& prompts_;
    LineStore BookLines;
    QString BookPath;
    QString BookName;
    std::int32_t CurLine = 0;
    std::int32_t MaxLine = 0;
    QString LastFile;
    std::int32_t LastLine = 0;
    QString FindText;
    int LoadHeight = 0;      // client height in pixels the window is held at
    QString lastOpenChoice;  // the open dialog's previous choice
    bool unloaded_ = false;
    bool layingOut_ = false;
    int pendingOuterWidth_ = 0;  // restored width awaiting the window frame
    int restoredClientWidth_ = 0;

    QLineEdit* txtView;
    ImageButton* imgBack;
    ImageButton* imgNext;
    QTimer tmrAutoShow;
    std::unique_ptr<ActivationHotKey> hotKey_;
};

}  // namespace tresslin

namespace tresslin {
// SIGTERM, SIGINT, SIGHUP and the end of the desktop session close window as Esc does, so the
// place in the book is saved.
void InstallTerminationHandler(frmMain& window);
}  // namespace tresslin
