#include "dialogs/ChapterRuleRow.h"

#include <QLabel>
#include <QLineEdit>

#include "platform/Twips.h"
#include "settings/ChapterRule.h"
#include "settings/Settings.h"

namespace tresslin {

ChapterRuleRow::ChapterRuleRow(QWidget* parent)
    : SettingsPage(parent),
      lblChapterRule(new QLabel(tr("Chapter Rule:"), this)),
      txtChapterRule(new QLineEdit(this)),
      lblRuleError(new QLabel(this)) {
    lblChapterRule->setObjectName(QStringLiteral("lblChapterRule"));
    txtChapterRule->setObjectName(QStringLiteral("txtChapterRule"));
    lblRuleError->setObjectName(QStringLiteral("lblRuleError"));
    txtChapterRule->setMinimumWidth(twipsToPixels(2415));
    // Room for a reason of two lines, so the page does not grow as the rule is typed.
    lblRuleError->setWordWrap(true);
    lblRuleError->setMinimumHeight(2 * lblRuleError->fontMetrics().lineSpacing());
    lblRuleError->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    addRow(lblChapterRule, txtChapterRule);
    addRow(lblRuleError);
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
