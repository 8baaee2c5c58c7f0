// Prompts that never block: the benchmarks script the find and go-to-line answers.
#pragma once

#include <QString>

#include "platform/Prompts.h"

namespace tresslin::bench {

class BenchPrompts : public Prompts {
  public:
    void message(QWidget*, const QString& text, MessageIcon, const QString&) override {
        ++messages;
        lastMessage = text;
    }
    QString input(QWidget*, const QString&, const QString&) override { return inputAnswer; }
    std::optional<QString> openFile(QWidget*, const QString&) override { return std::nullopt; }
    std::optional<std::int32_t> chooseColor(QWidget*, std::int32_t) override {
        return std::nullopt;
    }
    bool showFind(QWidget*, QString& sFind) override {
        sFind = findAnswer;
        return true;
    }
    void showSettings(frmMain&) override {}
    void showTimer(frmMain&) override {}

    QString inputAnswer;
    QString findAnswer;
    long messages = 0;
    QString lastMessage;
};

}  // namespace tresslin::bench
