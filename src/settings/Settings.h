// The per-user settings, kept in $XDG_CONFIG_HOME/Tresslin/Tresslin.ini. Every setting the
// program stores is declared once, in the table below; callers name it.
#pragma once

#include <QString>
#include <cstdint>
#include <limits>
#include <optional>

#include "book/TextCoding.h"
#include "settings/StoredNumbers.h"

namespace tresslin {

namespace settings {

// How a stored text is read; a text that does not follow the rule reads as the default.
enum class Kind {
    Text,      // as stored
    Number,    // a whole 32-bit number within [min, max]
    Flag,      // a whole number: off when 0, on otherwise
    Interval,  // the timer's rule: the leading number, rounded, within the timer's range
    Twips,     // a window measure; no fixed default (the window keeps its own)
};

struct Setting {
    const char* section;
    const char* key;
    Kind kind;
    std::int32_t defaultNumber = 0;  // every kind but Text and Twips
    const char* defaultText = "";    // Text
    std::int32_t min = std::numeric_limits<std::int32_t>::min();
    std::int32_t max = std::numeric_limits<std::int32_t>::max();
};

constexpr Setting text(const char* section, const char* key, const char* defaultText) {
    return {section, key, Kind::Text, 0, defaultText};
}
constexpr Setting number(const char* section, const char* key, std::int32_t defaultNumber,
                         std::int32_t min = std::numeric_limits<std::int32_t>::min(),
                         std::int32_t max = std::numeric_limits<std::int32_t>::max()) {
    return {section, key, Kind::Number, defaultNumber, "", min, max};
}
constexpr Setting flag(const char* section, const char* key, bool on) {
    return {section, key, Kind::Flag, on ? 1 : 0};
}
constexpr Setting interval(const char* section, const char* key, std::int32_t defaultNumber) {
    return {section, key, Kind::Interval, defaultNumber};
}
constexpr Setting twips(const char* section, const char* key) {
    return {section, key, Kind::Twips};
}

// The table: sections and keys exactly as they stand in the file.
inline constexpr Setting TextCoding =
    number("Settings", "Text Coding", kWindowsCyrillic, 0, kStoredCodingCount - 1);
inline constexpr Setting DetectCoding = flag("Settings", "Detect Coding", true);
inline constexpr Setting WrapLines = flag("Settings", "Wrap Lines", true);
inline constexpr Setting YoIsYe = flag("Settings", "Yo Is Ye", true);
inline constexpr Setting LastFile = text("Settings", "Last File", "");
inline constexpr Setting LastLine = number("Settings", "Last Line", 1);
inline constexpr Setting StayOnTop = flag("Settings", "Stay On Top", false);
// Percent; below 30 the strip could no longer be found on the desktop.
inline constexpr Setting Opacity = number("Settings", "Opacity", 100, 30, 100);
// How little of the strip the desktop shows: taskbar and tray, frame, background, idle text, font.
// The switches are "0"/"1"; anything else reads as off.
inline constexpr Setting HideFromTaskbar = number("Settings", "Hide From Taskbar", 0, 0, 1);
inline constexpr Setting TrayIcon = number("Settings", "Tray Icon", 0, 0, 1);
inline constexpr Setting Frameless = number("Settings", "Frameless", 0, 0, 1);
inline constexpr Setting BackgroundOpacity = number("Settings", "Background Opacity", 100, 10, 100);
inline constexpr Setting HideTextAway = number("Settings", "Hide Text Away", 0, 0, 60);  // s
inline constexpr Setting FontName = text("Settings", "Font Name", "Arial");
inline constexpr Setting FontSize = number("Settings", "Font Size", 9, 6, 72);
// The voice's name (empty: the first for Russian, else the engine's) and its rate.
inline constexpr Setting SpeechVoice = text("Settings", "Speech Voice", "");
inline constexpr Setting SpeechRate = number("Settings", "Speech Rate", 0, -10, 10);
// Progress sync: the server (empty: off), user and device name (empty: the host name), the book's
// identity ("0" the file's partial MD5, "1" its name), this installation's id, made once, and
// whether the key may be kept in a file only the user can read.
inline constexpr Setting SyncServer = text("Sync", "Server", "");
inline constexpr Setting SyncUser = text("Sync", "User", "");
inline constexpr Setting SyncDevice = text("Sync", "Device", "");
inline constexpr Setting SyncDigest = number("Sync", "Digest", 0, 0, 1);
inline constexpr Setting SyncDeviceId = text("Sync", "Device Id", "");
inline constexpr Setting SyncKeyFile = number("Sync", "Key In File", 0, 0, 1);
// 0x80000000 + a system colour index: window text and window background.
inline constexpr Setting TextColor = number("COLORS", "TEXT_COLOR", std::int32_t(0x80000008u));
inline constexpr Setting BackColor = number("COLORS", "BACK_COLOR", std::int32_t(0x80000005u));
inline constexpr Setting TimerInterval = interval("TIMER", "T_INTERVAL", kIntervalDefault);
inline constexpr Setting Top = twips("Position", "Top");
inline constexpr Setting Left = twips("Position", "Left");
inline constexpr Setting Width = twips("Position", "Width");
// The books read last, newest first: "Recent Files"/"File1".."File20", each beside the line on
// view when it was left, "Line1".."Line20".
inline constexpr int kRecentBooks = 20;
Setting RecentFile(int n);  // n from 1 to kRecentBooks
Setting RecentLine(int n);
// The bookmarks of the books that have some, the book changed last first: "Bookmarks"/"File1"..
// "File50", each beside its marks, "Marks1".."Marks50" ("line:offset" apart by blanks, newest
// first; the line from 1, the offset in bytes within it).
inline constexpr int kBookmarkedBooks = 50;
Setting BookmarkFile(int n);  // n from 1 to kBookmarkedBooks
Setting BookmarkMarks(int n);
// The reader's own rule for chapter headings (a regular expression; empty: the built-in rule)
// and the auto-show pace (0: the fixed interval of "TIMER"/"T_INTERVAL").
inline constexpr Setting ChapterRule = text("Settings", "Chapter Rule", "");
inline constexpr Setting WordsAMinute = number("Settings", "Words A Minute", 0, 0, 1000);

// The value by the setting's kind (Number, Flag, Interval).
std::int32_t readNumber(const Setting& setting);
inline bool readFlag(const Setting& setting) {
    return readNumber(setting) != 0;
}
// A Twips setting; nothing when none or no number is stored.
std::optional<double> readTwips(const Setting& setting);
void writeNumber(const Setting& setting, std::int64_t value);
// The coding books are shown in (TextCoding).
inline tresslin::TextCoding readCoding() {
    return tresslin::TextCoding(readNumber(TextCoding));
}
inline void writeCoding(tresslin::TextCoding coding) {
    writeNumber(TextCoding, coding);
}

// Writes everything pending to disk now. False when the file could not be written (the values
// stay in memory and later writes try again); the first failure after a success is said on
// stderr.
bool flush();

// While held, the saves that writes schedule wait (flush still writes): start-up holds them so
// that writing the file does not delay the window's first paint. Releasing schedules what waits.
void holdSaves(bool hold);

// How many times the file has been replaced since the program started (for benchmarks).
std::uint64_t fileReplacements();

// The file the store uses, for messages and tests.
QString filePath();

// Forget the in-memory store so that the next access opens the file again (tests point
// XDG_CONFIG_HOME elsewhere between cases).
void resetForTests();

}  // namespace settings

// The text stored for the setting, or its default as text when nothing is stored.
QString ReadSetting(const settings::Setting& setting);

// Stores the text. The next read sees it at once; it reaches the disk, through an atomic
// replace of the whole file, at the next turn of the event loop and always at settings::flush.
// Writes made by one handler reach the disk together.
void WriteSetting(const settings::Setting& setting, const QString& value);

}  // namespace tresslin
