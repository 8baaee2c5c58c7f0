// Scripted prompts for tests: answers are queued beforehand, and every question is recorded.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

#include "dialogs/DialogPrompts.h"

namespace tresslin::test {

struct MessageCall {
    QString text;
    MessageIcon icon;
    QString title;
};

class FakePrompts : public DialogPrompts {
  public:
    void message(QWidget* parent, const QString& text, MessageIcon icon,
                 const QString& title) override;
    QString input(QWidget* parent, const QString& prompt, const QString& title) override;
    std::optional<QString> openFile(QWidget* parent, const QString& lastPath) override;
    std::optional<std::int32_t> chooseColor(QWidget* parent, std::int32_t colour) override;
    bool showFind(QWidget* parent, QString& sFind) override;
    void showSettings(QWidget* parent, DialogHost& host) override;
    void showTimer(QWidget* parent, DialogHost& host) override;
    std::optional<int> showRecent(QWidget* parent, const QList<RecentBook>& books) override;

    // Queued answers; when a queue is empty the fake answers as Cancel would.
    std::deque<QString> inputAnswers;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<std::int32_t>> colorAnswers;
    // The find dialog: nothing = Cancel, a text = confirmed with that text.
    std::deque<std::optional<QString>> findAnswers;
    // Run while the settings or timer dialog would be open.
    std::function<void(DialogHost&)> onSettings;
    std::function<void(DialogHost&)> onTimer;
    // Run while a message box would be open (e.g. to look at the window behind it).
    std::function<void(const MessageCall&)> onMessage;
    // The recent books: nothing = Esc, a number = that entry chosen.
    std::deque<std::optional<int>> recentAnswers;
    std::vector<QList<RecentBook>> recentShown;

    std::vector<MessageCall> messages;
    QStringList inputPrompts;   // "title|prompt"
    QStringList openLastPaths;  // the lastPath given to each open dialog
    std::vector<std::int32_t> colorGiven;
    QStringList findProposals;  // sFind as given to each find dialog
    int settingsShown = 0;
    int timerShown = 0;
};

}  // namespace tresslin::test
