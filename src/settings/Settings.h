// The per-user settings store: text values addressed by section and key, kept in
// $XDG_CONFIG_HOME/Tresslin/Tresslin.ini.
#pragma once

#include <QString>
#include <cstdint>
#include <initializer_list>
#include <utility>

namespace tresslin {

// Sections and keys, spelled as they are stored.
namespace keys {
inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kTextCoding = "Text Coding";
inline constexpr const char* kLastFile = "Last File";
inline constexpr const char* kLastLine = "Last Line";
inline constexpr const char* kDetectCoding = "Detect Coding";
inline constexpr const char* kColors = "COLORS";
inline constexpr const char* kTextColor = "TEXT_COLOR";
inline constexpr const char* kBackColor = "BACK_COLOR";
inline constexpr const char* kTimer = "TIMER";
inline constexpr const char* kInterval = "T_INTERVAL";
inline constexpr const char* kPosition = "Position";
inline constexpr const char* kTop = "Top";
inline constexpr const char* kLeft = "Left";
inline constexpr const char* kWidth = "Width";
}  // namespace keys

// Defaults of the keys that have a fixed one.
inline constexpr std::int32_t kDefaultTextCoding = 0;
inline constexpr std::int32_t kDefaultLastLine = 1;
inline constexpr std::int32_t kSystemTextColor = std::int32_t(0x80000008u);  // -2147483640
inline constexpr std::int32_t kSystemBackColor = std::int32_t(0x80000005u);  // -2147483643

// The text stored under section/key, or defaultValue when nothing is stored there.
QString ReadSetting(const QString& section, const QString& key, const QString& defaultValue);
QString ReadSetting(const QString& section, const QString& key, std::int32_t defaultValue);

// Stores text under section/key. The next read sees it at once; it reaches the disk, through an
// atomic replace of the whole file, no later than the next turn of the event loop after the
// current burst, and always at FlushSettings. Writes made by one handler reach the disk together.
void WriteSetting(const QString& section, const QString& key, const QString& value);

// Typed readers: a stored text that is not a whole number gives the default.
std::int32_t ReadIntSetting(const QString& section, const QString& key, std::int32_t defaultValue);
// "Text Coding" as a known coding index; anything else reads as 0.
std::int32_t ReadTextCoding();
// "Detect Coding": whether a book's coding is guessed when it is opened (on unless "0").
bool ReadDetectCoding();

// Writes everything pending to disk now. False when the file could not be written (the values
// stay in memory and later writes try again).
bool FlushSettings();

// The file the store uses, for messages and tests.
QString SettingsFilePath();

// Forget the in-memory store so that the next access opens the file again (tests point
// XDG_CONFIG_HOME elsewhere between cases).
void ResetSettingsForTests();

}  // namespace tresslin
