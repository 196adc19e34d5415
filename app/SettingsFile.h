// The INI settings file: four sections, nineteen keys, read with defaults and checks, written
// atomically; the recent workbooks in a fifth section of their own, present only while the list
// holds any. No Qt here, so command-line tools and fuzzers can use it.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/SettingsFields.h"

namespace kestrel {

/// @brief Receives each warning of a read ("Incorrect Minimum Peak Height from .ini file", ...).
using SettingsWarning = std::function<void(const std::string&)>;

/// @brief Longest text taken from the file for a text key, in characters.
inline constexpr size_t kMaxSettingsTextLength = 2047;

/// @brief Fills the settings fields from INI text, key by key in reading order. A missing key
/// takes its default (the three folders take `defaultFolder`); a key present with an empty value
/// gives the empty text, or the default for an integer key. Peak heights are parsed with "." as
/// the decimal point, a malformed one warns and takes its default, and both texts end in the
/// "##0.00" form with "." whatever the locale. Integers follow the whole-number rule. The
/// recent workbooks are read from "File1" to "File8" of "[Recent workbooks]", empty ones skipped.
void readSettingsText(std::string_view iniText, SettingsFields& fields, const SettingsWarning& warn,
                      std::string_view defaultFolder = {});

/// @brief readSettingsText() on the file at `path`; a missing or unreadable file reads as an
/// empty one (all defaults, silently).
void readSettingsFile(const std::string& path, SettingsFields& fields, const SettingsWarning& warn,
                      std::string_view defaultFolder = {});

/// @brief The INI text with all nineteen keys set from `fields`: keys that `existingText` holds
/// are replaced in place (other keys and sections kept), missing ones are added in table order.
/// Every text reads back exactly as it is in `fields` (quoted and escaped where an INI line
/// cannot hold it as it stands); a text longer than kMaxSettingsTextLength characters, which a
/// read would cut, is not written: its key keeps what `existingText` held, and a note saying so
/// goes to `notes`. "[Recent workbooks]" is replaced whole by fields.RecentWorkbooks (at most
/// eight, paths a read would cut left out), and removed when the list is empty; so is
/// "[Depositional age]" by fields.DepositionalChoices, absent while they are none.
std::string settingsText(std::string_view existingText, const SettingsFields& fields,
                         std::vector<std::string>* notes = nullptr);

/// @brief Writes all nineteen keys into the file at `path`, atomically, and returns the notes of
/// settingsText() (texts too long to be saved). On any failure the file keeps its former
/// content and KestrelError "Unable to write to <path>: <reason>" is thrown.
std::vector<std::string> writeSettingsFile(const std::string& path, const SettingsFields& fields);

}  // namespace kestrel
