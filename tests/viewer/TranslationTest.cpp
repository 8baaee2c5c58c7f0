// The interface in the desktop's language: Russian where it is asked for, today's English
// under C and wherever no translation exists.
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QProcess>
#include <QTabWidget>
#include <QTranslator>

#include <QLabel>
#include "ViewerFixture.h"

#include "dialogs/frmSettings.h"
#include "dialogs/frmTimer.h"
#include "viewer/Translations.h"

namespace tresslin::test {
namespace {

class Translation : public ViewerTest {
  protected:
    void TearDown() override {
        for (QTranslator* t : installed) QCoreApplication::removeTranslator(t), delete t;
    }
    QList<QTranslator*> installed;
};

TEST_F(Translation, CaptionCommandsListSettingsAndQtsOwnTexts) {
    const struct {
        const char* locale;
        QString caption, command, title, page, qtCancel;
    } rows[] = {
        {"ru_RU", "book.txt  строка: 1", "CTRL + F   -  Найти", "Настройки", "Текст", "Отмена"},
        {"ru", "book.txt  строка: 1", "CTRL + F   -  Найти", "Настройки", "Текст", "Отмена"},
        {"C", "book.txt  line: 1", "CTRL + F   -  Find", "Settings", "Text", "Cancel"},
        {"en_GB", "book.txt  line: 1", "CTRL + F   -  Find", "Settings", "Text", "Cancel"},
        {"de_DE", "book.txt  line: 1", "CTRL + F   -  Find", "Settings", "Text", "Abbrechen"},
    };
    for (const auto& c : rows) {
        SCOPED_TRACE(c.locale);
        installed = installTranslations(QLocale(QString::fromLatin1(c.locale)));
        makeWindow();
        open("a\r\nb");
        EXPECT_TRUE(caption().startsWith(c.caption)) << caption().toStdString();
        EXPECT_TRUE(frmMain::commandsListText().split("\r\n").contains(c.command));
        frmSettings dialog(window.get(), *window, prompts);
        EXPECT_EQ(dialog.windowTitle(), c.title);
        EXPECT_EQ(dialog.findChild<QTabWidget*>("tabPages")->tabText(0), c.page);
        // Room for the title bar and a panel on a 1024x600 screen, in the longer language too.
        dialog.layout()->activate();
        EXPECT_LE(dialog.width(), 1000);
        EXPECT_LE(dialog.height(), 520);
        EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), c.qtCancel);
        // The timer's fixed rows: no word of the interval's label cut, the button inside.
        frmTimer timer(window.get(), *window);
        const auto* label = timer.findChild<QLabel*>("Label1");
        for (const QString& word : label->text().split(' '))
            EXPECT_LE(label->fontMetrics().horizontalAdvance(word), label->contentsRect().width())
                << word.toStdString();
        EXPECT_LE(timer.findChild<QWidget*>("cmdRun")->geometry().right(), timer.width());
        TearDown();
        installed.clear();
    }
}

// The language comes from the environment as the desktop sets it; no generated locale needed.
TEST(TranslationEnvironment, HelpFollowsTheDesktopsLanguage) {
    const struct {
        QStringList env;
        QString start;
    } rows[] = {
        {{"LANG=ru_RU.UTF-8"}, "Использование: tresslin [КНИГА]\n"},
        {{"LANG=C.UTF-8", "LC_MESSAGES=ru_RU.UTF-8"}, "Использование: tresslin [КНИГА]\n"},
        {{"LANG=C.UTF-8"}, "Usage: tresslin [BOOK]\n"},
        {{"LANG=C.UTF-8", "LANGUAGE=ru"}, "Usage: tresslin [BOOK]\n"},  // as gettext under C
        {{"LANG=ru_RU.UTF-8", "LC_ALL=C"}, "Usage: tresslin [BOOK]\n"},
    };
    for (const auto& c : rows) {
        SCOPED_TRACE(c.env.join(' ').toStdString());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"LANG", "LANGUAGE", "LC_ALL", "LC_MESSAGES"}) env.remove(name);
        for (const QString& v : c.env) env.insert(v.section('=', 0, 0), v.section('=', 1));
        program.setProcessEnvironment(env);
        program.start(PROGRAM_PATH, {"--help"});
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_TRUE(QString::fromUtf8(program.readAllStandardOutput()).startsWith(c.start));
    }
}

}  // namespace
}  // namespace tresslin::test
