// Shared helpers for the tests: a private settings folder per test and temporary books.
#pragma once

#include <QtCore/qtestsupport_core.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <string>

#include "book/mdlFiles.h"
#include "settings/Settings.h"

namespace tresslin::test {

// Runs the event loop until condition holds; false after 30 s, so a hung desktop fails the test.
template <typename Condition>
bool waitFor(Condition condition) {
    return QTest::qWaitFor(condition, 30000);
}

// Points XDG_CONFIG_HOME at a new temporary folder for the lifetime of the object, so the
// settings store starts empty and nothing of the user's is touched.
class SettingsSandbox {
  public:
    SettingsSandbox() : previous_(qgetenv("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
        settings::resetForTests();
    }
    ~SettingsSandbox() {
        settings::resetForTests();
        previous_.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", previous_);
    }
    QString folder() const { return dir_.path(); }
    QString iniPath() const { return dir_.path() + "/Tresslin/Tresslin.ini"; }
    // The settings file as written to disk (after a flush).
    QString fileText() const {
        QFile f(iniPath());
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

  private:
    QTemporaryDir dir_;
    QByteArray previous_;
};

// A temporary folder with files written into it.
class TempBooks {
  public:
    // Writes bytes to a file of that name; its absolute path.
    QString write(const QString& name, std::string_view bytes) {
        QFile f(path(name));
        if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), qint64(bytes.size()));
        return f.fileName();
    }
    QString path(const QString& name) const { return dir_.path() + "/" + name; }
    QString folder() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

// "Line 1" ... "Line n" joined with CR LF.
inline std::string NumberedBook(int n) {
    std::string out;
    for (int i = 1; i <= n; ++i) out += (i > 1 ? "\r\nLine " : "Line ") + std::to_string(i);
    return out;
}

// Windows Cyrillic bytes from UTF-8 (test literals are UTF-8).
inline std::string Cp1251(std::string_view utf8) {
    std::string out;
    for (const QChar c : QString::fromUtf8(utf8.data(), qsizetype(utf8.size())))
        out += char(unicodeToCp1251(c.unicode()).value_or('?'));
    return out;
}

inline QByteArray FileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes the file, and the folders it lies in.
inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}

inline QString SamplePath(const QString& name) {
    return QStringLiteral(TRESSLIN_SAMPLES_DIR "/") + name;
}

}  // namespace tresslin::test
