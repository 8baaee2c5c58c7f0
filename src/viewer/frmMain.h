// The main window: a strip one text line high that shows one line of the open book.
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QLineEdit>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "book/LineWrap.h"
#include "book/ReadingCursor.h"
#include "book/ReadingPace.h"
#include "dialogs/DialogHost.h"
#include "formats/XPointer.h"
#include "viewer/ImageButton.h"
#include "viewer/OpenedBook.h"
#include "viewer/ReadingPlace.h"
#include "viewer/WindowRules.h"

class QScreen;

namespace tresslin {

namespace sync {
class SyncSession;
}

class DialogPrompts;
class OutOfSight;
struct RecentBook;
class ReadAloud;
class Speech;

class frmMain : public QWidget, public DialogHost {
    Q_OBJECT
  public:
    explicit frmMain(DialogPrompts& prompts, QWidget* parent = nullptr);
    ~frmMain() override;

    // Public operations; the dialogs reach the last three through DialogHost.
    bool OpenBook(const BookLocation& sBookName);
    void ShowCaptionStatus(const QString& sAddText);
    void RefreshShow() override;
    void startAutoShow(int interval) override;
    void applyWindowOptions() override;
    Speech& voice() override;

    // Start-up: commandLine names the book given on the command line, or nothing.
    void Form_Load(const BookLocation& commandLine);

    // Handlers, public so tests can drive them directly.
    void Form_KeyDown(int key, int shift);
    void tmrAutoShow_Timer();
    void imgBack_Click();
    void imgNext_Click();

    // Book state, read by tests.
    const BookLocation& bookLocation() const { return book_.location; }
    std::int32_t curLine() const { return cursor_.line(); }
    std::int32_t maxLine() const { return book_.maxLine(); }
    std::int32_t lastLine() const { return LastLine; }
    QLineEdit* view() const { return txtView; }
    const QTimer& autoShowTimer() const { return tmrAutoShow; }
    ReadingPlace& readingPlace() { return readingPlace_; }
    OutOfSight& outOfSight() { return *outOfSight_; }
    // Opens a book of the recent list at its line, as choosing it after Ctrl+R does.
    void openRecentBook(const RecentBook& book);
    // Reading aloud; maker gives the voice at the first Ctrl+P (tests pass a fake).
    void setSpeechMaker(std::function<std::unique_ptr<Speech>()> maker);
    ReadAloud* readAloud() const { return readAloud_.get(); }
    // Progress sync; nothing while no server is set.
    sync::SyncSession* syncSession() const { return sync_.get(); }

    // The per cent and the time left to the end of the chapter and of the book, at the reader's
    // pace (the strip's and the tray icon's tool tip); empty without a book.
    QString timeLeftText();
    PaceMeter& paceMeter() { return pace_; }

    // The text of the commands list and its title.
    static QString commandsListText();
    static QString commandsListTitle();

    // The shift state of a key event: 1 Shift, 2 Ctrl, 4 Alt; a modifier key pressed alone
    // counts as its own state.
    static int shiftState(int key, Qt::KeyboardModifiers modifiers);
    // The Latin key for a letter typed on a Cyrillic layout, so Ctrl+O works on any layout.
    static int latinKey(int key);
    // The text without leading and trailing blanks (code 32 only; tabs stay).
    static QString trimBlanks(const QString& s);

  public slots:
    // Restores the window from minimised and brings it to the front, active: what keypad plus
    // does from any program, and what any other request to come back should do. token: the
    // desktop's activation token that came with the request, or empty.
    void bringBack(const QString& token = {});
    // Moves a window left wholly outside every screen (one unplugged or made smaller) back to
    // the nearest screen's edge.
    void keepOnScreen();

  public:
    // Ends the program the way Esc does; also used for SIGTERM and the end of the session.
    void unload();
    bool isUnloaded() const { return unloaded_; }

  protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    // Taskbar, tray, frame, background, hidden text and font work on the window's own parts.
    friend class OutOfSight;

    // Display: the view shows what the cursor points at.
    void ShowLine();
    void ApplyColors();
    void TimerOff();
    QString displayText(std::int32_t line) const;

    // Long lines in parts, laid out for the view as it is now.
    std::optional<LineWrap> wrapOf(std::int32_t line) const;
    double viewTextWidth() const;
    // Tells the cursor when the parts are laid out anew (another width, font or coding).
    void checkLayout();
    bool stepForward();
    bool stepBack();
    // Shows the part again after the view's width has changed.
    void rewrapView();

    // Keys.
    void HandleGeneralKey(int key, int shift);
    void HandleGeneralCtrlKey(int key);
    bool IsBookOpen() const;
    void HandleBookKey(int key, int shift);
    void HandleBookCtrlKey(int key);
    void HandleMoveKey(int key);
    // The next chapter heading, or the previous one (the book's start before the first).
    void stepChapter(bool forward);
    void ShowCommandsList();
    // Ctrl+P and every other key as reading aloud sees them; true when the key was taken.
    bool readAloudKey(int key, int shift);
    ReadAloud& readAloudNow();
    QString spokenPart();
    QString lineStatus() const;

    // Commands.
    void OpenNewText();
    void goToLine();
    void FindCommand(bool Again);
    void FindNext();
    void openRecent();
    void notePlace();

    // Contents, bookmarks, pace (frmMain_contents.cpp).
    struct HeadingList {
        const char* data = nullptr;  // the book they were found in
        TextCoding coding = kWindowsCyrillic;
        QString rule;
        std::vector<std::int64_t> lines;
        double bytesPerWord = 6;
        bool known = false;
    };
    // Every chapter heading, as Page Down and Page Up find them, found once a book and rule.
    const HeadingList& headingList();
    void showContents();
    void setBookmark();
    void showBookmarks();
    QString bookmarkKey() const;
    // Up to 1 KB of a line's text from a byte offset.
    QString textAt(std::int32_t line, std::size_t offset) const;
    QString percentText(std::int32_t line) const;
    // The stay of the part on view at the stored pace; -1 for the fixed interval.
    int paceInterval();
    // The part on view is being left forward: its words and time go to the pace.
    void notePace();
    static QString duration(double minutes);

    // Progress sync (frmMain_sync.cpp): the session made or dropped as the settings say.
    void syncSetUp();
    void syncOpened();
    void syncPlace();
    TextPlace placeOnView() const;
    std::optional<TextPlace> placeOfRecord(const QString& progress, double percentage) const;

    // Layout and position.
    void RestorePosition();
    void Form_Resize();
    void SavePosition();
    void applyPendingWidth();
    // The font of the line; the strip's height follows it, still one line.
    void setLineFont(const QFont& font);
    void watchScreen(QScreen* screen);
    void keepOnScreenSoon();
    void Form_QueryUnload();
    void Form_Unload();
    void UnloadAllForms();
    static void endEventLoops();

    DialogPrompts& prompts_;
    OpenedBook book_;
    ReadingCursor cursor_;
    BookLocation LastFile;  // the book left last time, offered at start-up
    std::int32_t LastLine = 0;
    QString FindText;
    int LoadHeight = 0;       // client height in pixels the window is held at
    QString lastOpenChoice_;  // the open dialog's previous choice
    bool unloaded_ = false;
    bool layingOut_ = false;
    int pendingOuterWidth_ = 0;  // restored width awaiting the window frame
    int restoredClientWidth_ = 0;
    WheelSteps wheel_;
    struct Layout {
        double width = 0;
        TextCoding coding = kWindowsCyrillic;
        QFont font;
        bool operator==(const Layout&) const = default;
    } wrappedFor_;                // what the parts were last laid out for
    QString shownPart_;           // the view's text when it shows a part
    std::size_t shownStart_ = 0;  // where the part on view starts in its line
    HeadingList headingList_;
    PaceMeter pace_;
    QElapsedTimer partShown_;  // since the part on view was shown
    mutable QFont advanceFont_;
    mutable std::array<double, 0x500> advances_{};  // Latin and Cyrillic, measured once a font

    QLineEdit* txtView;
    ImageButton* imgBack;
    ImageButton* imgNext;
    QTimer tmrAutoShow;
    ReadingPlace readingPlace_;
    std::unique_ptr<OutOfSight> outOfSight_;
    std::function<std::unique_ptr<Speech>()> speechMaker_;
    std::unique_ptr<ReadAloud> readAloud_;
    std::unique_ptr<sync::SyncSession> sync_;
    QString syncFor_;                    // the settings the session was made for
    std::optional<TextPlace> syncBack_;  // where the strip was before a place came from afar
};

}  // namespace tresslin
