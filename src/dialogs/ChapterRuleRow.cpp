#include "dialogs/ChapterRuleRow.h"

#include <QLabel>
#include <QLineEdit>

#include "dialogs/FixedDialog.h"
#include "settings/ChapterRule.h"
#include "settings/Settings.h"

namespace tresslin {

ChapterRuleRow::ChapterRuleRow(QWidget* parent)
    : QWidget(parent),
      lblChapterRule(new QLabel(tr("Chapter Rule:"), this)),
      txtChapterRule(new QLineEdit(this)),
      lblRuleError(new QLabel(this)) {
    setMinimumSize(twipsToPixels(3465), twipsToPixels(kHeightTwips));
    placeTwips(lblChapterRule, "lblChapterRule", 0, 30, 1095, 255);
    placeTwips(txtChapterRule, "txtChapterRule", 1050, 0, 2415, 315);
    placeTwips(lblRuleError, "lblRuleError", 0, 330, 3465, 255);
    txtChapterRule->setPlaceholderText(tr("built-in headings"));
    txtChapterRule->setToolTip(
        tr("A regular expression tried on each line of a plain-text book, such as "
           "^Глава [0-9]+; empty: the built-in headings"));
    txtChapterRule->setText(ReadSetting(settings::ChapterRule));
    QPalette warning = lblRuleError->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    lblRuleError->setPalette(warning);
    connect(txtChapterRule, &QLineEdit::textEdited, this, &ChapterRuleRow::ruleEdited);
}

void ChapterRuleRow::ruleEdited(const QString& text) {
    QString error;
    ChapterRule::make(text, &error);
    lblRuleError->setText(error.isEmpty() ? QString() : tr("Not kept: %1").arg(error));
    lblRuleError->setToolTip(lblRuleError->text());
    if (error.isEmpty()) WriteSetting(settings::ChapterRule, text);
}

}  // namespace tresslin
