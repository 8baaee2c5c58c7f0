#include "platform/QtPrompts.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

#include "platform/Colors.h"

namespace tresslin {

// The file dialog's own words for what a row is. Qt 6 looks them up in this context, which
// Debian's Qt translations (made for Qt 5's QFileDialog) lack; the program's translation has them.
[[maybe_unused]] constexpr const char* kFileKinds[][2] = {
    QT_TRANSLATE_NOOP3("QAbstractFileIconProvider", "Folder", "All other platforms"),
    QT_TRANSLATE_NOOP3("QAbstractFileIconProvider", "Unknown", "All other platforms"),
    {QT_TRANSLATE_NOOP("QAbstractFileIconProvider", "Drive"), ""}};

void QtPrompts::message(QWidget* parent, const QString& text, MessageIcon icon,
                        const QString& title) {
    QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::Information,
                    title, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

QString QtPrompts::input(QWidget* parent, const QString& prompt, const QString& title) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString(), &ok);
    return ok ? text : QString();
}

std::optional<QString> QtPrompts::openFile(QWidget* parent, const QString& lastPath) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Name filters match without regard to case, so .TXT is listed too; "*" lists every file,
    // also those without a dot.
    dialog.setNameFilters({QCoreApplication::translate("tresslin::QtPrompts", "Text Files (*.txt)"),
                           QCoreApplication::translate("tresslin::QtPrompts", "All Files (*)")});
    if (!lastPath.isEmpty()) dialog.selectFile(lastPath);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) return std::nullopt;
    return files.first();
}

std::optional<std::int32_t> QtPrompts::chooseColor(QWidget* parent, std::int32_t colour) {
    const QColor start = colorFromValue(colour, parent ? parent->palette() : QPalette());
    const QColor chosen = QColorDialog::getColor(start, parent);
    if (!chosen.isValid()) return std::nullopt;
    return valueFromColor(chosen);
}

std::optional<QFont> QtPrompts::chooseFont(QWidget* parent, const QFont& font) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font, parent);
    if (!ok) return std::nullopt;
    return chosen;
}

}  // namespace tresslin
