// The settings file's text, as QSettings reads and writes it; exposed for fuzzing and tests.
#pragma once

#include <QIODevice>
#include <QSettings>

namespace tresslin {

// "[Section]" lines and "Key=value" lines; map keys are "Section/Key" (just "Key" before any
// section). Reading never fails: lines that are neither are skipped.
bool readIniFormat(QIODevice& device, QSettings::SettingsMap& map);
bool writeIniFormat(QIODevice& device, const QSettings::SettingsMap& map);

}  // namespace tresslin
