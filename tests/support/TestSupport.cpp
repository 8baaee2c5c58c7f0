#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cstdlib>

#include "book/mdlFiles.h"
#include "settings/Settings.h"

namespace tresslin::test {

SettingsSandbox::SettingsSandbox() {
    hadPrevious_ = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    previous_ = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit());
    settings::resetForTests();
}

SettingsSandbox::~SettingsSandbox() {
    settings::resetForTests();
    if (hadPrevious_)
        qputenv("XDG_CONFIG_HOME", previous_);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString SettingsSandbox::iniPath() const {
    return dir_.path() + "/Tresslin/Tresslin.ini";
}

QString SettingsSandbox::fileText() const {
    QFile f(iniPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

QString TempBooks::write(const QString& name, std::string_view bytes) {
    const QString p = path(name);
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        f.write(bytes.data(), qint64(bytes.size()));
    }
    return p;
}

QString TempBooks::path(const QString& name) const {
    return dir_.path() + "/" + name;
}

std::string CrLfBook(std::initializer_list<std::string_view> lines) {
    std::string out;
    bool first = true;
    for (auto l : lines) {
        if (!first) out += "\r\n";
        out += l;
        first = false;
    }
    return out;
}

std::string NumberedBook(int n) {
    std::string out;
    for (int i = 1; i <= n; ++i) {
        out += "Line " + std::to_string(i);
        if (i < n) out += "\r\n";
    }
    return out;
}

std::string Cp1251(std::string_view utf8) {
    const QString s = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    std::string out;
    for (const QChar c : s) {
        const auto b = unicodeToCp1251(c.unicode());
        out += b ? char(*b) : '?';
    }
    return out;
}

QString SamplePath(const QString& name) {
    return QStringLiteral(TRESSLIN_SAMPLES_DIR "/") + name;
}

}  // namespace tresslin::test
