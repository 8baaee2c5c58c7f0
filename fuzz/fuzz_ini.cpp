// The settings file format: any bytes read without a crash, and whatever was read writes back
// and reads the same, so a hand-edited file keeps what the program could make of it.
#include <QBuffer>
#include <QSettings>
#include <cstdint>

#include "FuzzInput.h"
#include "settings/IniFormat.h"

using namespace tresslin;
using tresslin::fuzz::Fail;

namespace {

QSettings::SettingsMap readBytes(QByteArray bytes) {
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QSettings::SettingsMap map;
    if (!readIniFormat(buffer, map)) Fail("reading failed");
    return map;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto first = readBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    for (const QString& key : first.keys()) {
        if (key.isEmpty() || key.count(u'/') > 1) Fail("key of odd shape read");
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!writeIniFormat(buffer, first)) Fail("writing failed");
    const auto second = readBytes(bytes);
    if (first.keys() != second.keys()) Fail("keys differ after write and read");
    for (auto it = first.cbegin(); it != first.cend(); ++it) {
        if (it.value().toString() != second[it.key()].toString()) Fail("a value differs");
    }
    return 0;
}
