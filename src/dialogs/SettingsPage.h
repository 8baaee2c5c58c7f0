// A page of the settings dialog, or a block of rows on one: rows one under the other, a label on
// the left and its control on the right, and controls that store their setting at each change.
// Every block of the dialog is laid out through it, so the pages look alike in any language.
#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QSpinBox;
class QVBoxLayout;

namespace tresslin {

namespace settings {
struct Setting;
}

class SettingsPage : public QWidget {
    Q_OBJECT
  public:
    // A block has no margins of its own, so that its rows line up with those of its page.
    enum class Frame { Page, Block };
    explicit SettingsPage(QWidget* parent, Frame frame = Frame::Page);

    // A control across the page, or at its left (the alignment) when it should keep its width.
    void addRow(QWidget* wide, Qt::Alignment alignment = {});
    // A label on the left; the control on the right, or after the label when it grows.
    void addRow(QLabel* label, QWidget* control);

    // A switch for a 0/1 setting: shown as stored, stored at each click, then changed().
    QCheckBox* addFlag(const char* name, const QString& text, const settings::Setting& setting,
                       std::function<void()> changed = {});
    // A number within the setting's range beside its label (named labelName), stored at each
    // change, then changed().
    QSpinBox* addNumber(const char* labelName, const QString& label, const char* name,
                        const settings::Setting& setting, const QString& suffix,
                        std::function<void()> changed);

    // A control the desktop cannot serve is disabled, with its label, and says why; with on it
    // stays usable, so that the reader can always turn the setting off again.
    static void limit(QWidget* control, const QString& why, bool on = false);

  private:
    QVBoxLayout* rows_;
};

}  // namespace tresslin
