#include "support/FakePrompts.h"

namespace tresslin::test {

void FakePrompts::message(QWidget*, const QString& text, MessageIcon icon, const QString& title) {
    messages.push_back({text, icon, title});
    if (onMessage) onMessage(messages.back());
}

QString FakePrompts::input(QWidget*, const QString& prompt, const QString& title) {
    inputPrompts << title + "|" + prompt;
    if (inputAnswers.empty()) return {};
    QString a = inputAnswers.front();
    inputAnswers.pop_front();
    return a;
}

std::optional<QString> FakePrompts::openFile(QWidget*, const QString& lastPath) {
    openLastPaths << lastPath;
    if (openAnswers.empty()) return std::nullopt;
    const bool chosen = openAnswers.front().has_value();
    const QString path = chosen ? *openAnswers.front() : QString();
    openAnswers.pop_front();
    if (!chosen) return std::nullopt;
    return path;
}

std::optional<std::int32_t> FakePrompts::chooseColor(QWidget*, std::int32_t colour) {
    colorGiven.push_back(colour);
    if (colorAnswers.empty()) return std::nullopt;
    auto a = colorAnswers.front();
    colorAnswers.pop_front();
    return a;
}

bool FakePrompts::showFind(QWidget*, QString& sFind) {
    findProposals << sFind;
    if (findAnswers.empty()) return false;
    const bool confirmed = findAnswers.front().has_value();
    if (confirmed) sFind = *findAnswers.front();
    findAnswers.pop_front();
    return confirmed;
}

void FakePrompts::showSettings(QWidget*, DialogHost& host) {
    ++settingsShown;
    if (onSettings) onSettings(host);
}

void FakePrompts::showTimer(QWidget*, DialogHost& host) {
    ++timerShown;
    if (onTimer) onTimer(host);
}

std::optional<int> FakePrompts::showRecent(QWidget*, const QList<RecentBook>& books) {
    recentShown.push_back(books);
    if (recentAnswers.empty()) return std::nullopt;
    const auto a = recentAnswers.front();
    recentAnswers.pop_front();
    return a;
}

}  // namespace tresslin::test
