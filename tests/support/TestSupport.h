// Shared helpers for the tests: a private settings folder per test and temporary books.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <string>
#include <string_view>

namespace tresslin::test {

// Points XDG_CONFIG_HOME at a new temporary folder for the lifetime of the object, so the
// settings store starts empty and nothing of the user's is touched.
class SettingsSandbox {
  public:
    SettingsSandbox();
    ~SettingsSandbox();
    QString folder() const { return dir_.path(); }
    // The settings file's contents as written to disk (after a flush).
    QString fileText() const;
    QString iniPath() const;

  private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
};

// A temporary folder with files written into it.
class TempBooks {
  public:
    // Writes bytes to a file of that name and returns its absolute path.
    QString write(const QString& name, std::string_view bytes);
    QString path(const QString& name) const;
    QString folder() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
};

// Lines joined with CR LF, in the bytes given.
std::string CrLfBook(std::initializer_list<std::string_view> lines);
// A book of n lines "Line 1" ... "Line n" joined with CR LF.
std::string NumberedBook(int n);
// Text in Windows Cyrillic bytes from UTF-8 (test literals are UTF-8).
std::string Cp1251(std::string_view utf8);
// Path of a sample book shipped in samples/.
QString SamplePath(const QString& name);

}  // namespace tresslin::test
