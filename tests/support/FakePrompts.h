// Scripted prompts for tests: answers are queued beforehand, and every question is recorded.
// When a queue is empty the answer is what Cancel (or Esc) gives.
#pragma once

#include <QStringList>
#include <deque>
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
    void message(QWidget*, const QString& text, MessageIcon icon, const QString& title) override {
        messages.push_back({text, icon, title});
    }
    QString input(QWidget*, const QString& prompt, const QString& title) override {
        inputPrompts << title + "|" + prompt;
        return next(inputAnswers);
    }
    std::optional<QString> openFile(QWidget*, const QString& lastPath) override {
        openLastPaths << lastPath;
        return next(openAnswers);
    }
    std::optional<std::int32_t> chooseColor(QWidget*, std::int32_t) override {
        return next(colorAnswers);
    }
    std::optional<QFont> chooseFont(QWidget*, const QFont&) override { return next(fontAnswers); }
    bool showFind(QWidget*, QString& sFind) override {
        findProposals << sFind;
        const auto answer = next(findAnswers);
        if (answer) sFind = *answer;
        return answer.has_value();
    }
    void showSettings(QWidget*, DialogHost&) override { ++settingsShown; }
    void showTimer(QWidget*, DialogHost&) override { ++timerShown; }
    std::optional<int> showArchive(QWidget*, const QList<ArchiveEntry>& books) override {
        archiveShown.push_back(books.size());
        return next(archiveAnswers);
    }
    std::optional<int> showRecent(QWidget*, const QList<RecentBook>& books) override {
        recentShown.push_back(books);
        return next(recentAnswers);
    }

    std::optional<int> showContents(QWidget*, const QList<ContentsEntry>& entries,
                                    int current) override {
        contentsShown.push_back({entries, current});
        return next(contentsAnswers);
    }
    std::optional<int> showBookmarks(QWidget*, const QList<BookmarkEntry>& marks,
                                     const std::function<void(int)>& remove) override {
        bookmarksShown.push_back(marks);
        for (const int index : next(bookmarkRemovals)) remove(index);
        return next(bookmarkAnswers);
    }
    bool ask(QWidget*, const QString& text, const QString&) override {
        questions << text;
        return next(askAnswers);
    }

    std::deque<QString> inputAnswers;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<std::int32_t>> colorAnswers;
    std::deque<std::optional<QFont>> fontAnswers;
    std::deque<std::optional<QString>> findAnswers;  // a text: confirmed with that text
    std::deque<std::optional<int>> recentAnswers, archiveAnswers;  // a number: that entry chosen

    std::deque<std::optional<int>> contentsAnswers, bookmarkAnswers;
    std::deque<QList<int>> bookmarkRemovals;  // deleted in the list before it answers
    std::deque<bool> askAnswers;
    QStringList questions;

    std::vector<MessageCall> messages;
    std::vector<std::pair<QList<ContentsEntry>, int>> contentsShown;  // entries, the current
    std::vector<QList<BookmarkEntry>> bookmarksShown;
    std::vector<QList<RecentBook>> recentShown;
    std::vector<qsizetype> archiveShown;  // how many books each archive list offered
    QStringList inputPrompts;             // "title|prompt"
    QStringList openLastPaths;            // the lastPath given to each open dialog
    QStringList findProposals;            // sFind as given to each find dialog
    int settingsShown = 0;
    int timerShown = 0;

  private:
    template <typename T>
    static T next(std::deque<T>& answers) {
        T answer{};
        if (!answers.empty()) answer = std::move(answers.front()), answers.pop_front();
        return answer;
    }
};

}  // namespace tresslin::test
