// The settings dialog's row for the reader's own chapter rule: a regular expression tried on
// each line's text. A valid one (or none) is stored as it is typed; an invalid one is never
// stored, and the row says why.
#pragma once

#include "dialogs/SettingsPage.h"

class QLabel;
class QLineEdit;

namespace tresslin {

class ChapterRuleRow : public SettingsPage {
    Q_OBJECT
  public:
    explicit ChapterRuleRow(QWidget* parent);

  private:
    void ruleEdited(const QString& text);

    QLabel* lblChapterRule;
    QLineEdit* txtChapterRule;
    QLabel* lblRuleError;
};

}  // namespace tresslin
