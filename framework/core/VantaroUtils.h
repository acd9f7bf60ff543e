// Settings store access, tolerant text conversions and the script launcher.
//
// Settings live in the current-user store under
//   "Software\Vantaro\" + root [+ "\" + key] [+ "\" + subkey]
// and are reached only through the link table's ReadFromRegHKCU / SaveToRegHKCU. Reads never
// fail: every read has a default and every conversion falls back to it.
#pragma once

#include <QString>
#include <cstdint>

#include "tkl_table.h"

namespace korvex {

class ProcessLauncher;

// Longest value ReadSetting returns, in characters (code points); longer values are cut.
inline constexpr int kSettingMaxChars = 80;

// "Software\Vantaro\" + root, then "\" + key when key is not empty, then "\" + subkey when
// subkey is not empty.
QString SettingsPath(const QString& root, const QString& key, const QString& subkey);

// The first 80 characters of the stored value, spaces trimmed at both ends; `defaultValue` when
// the value is missing, empty or all spaces, or the table cannot read.
QString ReadSetting(const LinkTable& link, const QString& root, const QString& key,
                    const QString& subkey, const QString& name, const QString& defaultValue);

// Stores `value` as is. True when the store took it (callers of the original ignore this).
bool SaveSetting(const LinkTable& link, const QString& root, const QString& key,
                 const QString& subkey, const QString& name, const QString& value);

// Blank (spaces only) gives `defaultValue`; otherwise false exactly when the untrimmed text is
// "False", "Falso" or "0" (case-sensitive), else true. So " 0" and "false" are true.
bool StrToBool(const QString& text, bool defaultValue);

// Blank gives `defaultValue`; otherwise the number in the "C" locale: optional sign, digits,
// optional "." fraction and exponent, surrounding spaces allowed; rounded to the nearest
// integer, halves to even ("2.5" -> 2, "3.5" -> 4, "-2.5" -> -2). Anything else, including a
// comma (no thousands or decimal comma in the "C" locale) and values out of range after
// rounding, gives `defaultValue`.
int16_t StrToShort(const QString& text, int16_t defaultValue);
int32_t StrToLong(const QString& text, int32_t defaultValue);

// Locale-independent reader for stored reals: spaces trimmed; every digit counts, "," and "."
// are both separators and the last one places the point ("1.234,5" -> 1234.5); no signs, no
// exponent; any other character, blank text or overflow gives `defaultValue`.
double StrToDouble(const QString& text, double defaultValue);

// Starts "/bin/sh <path>" detached when a file exists at `path` (relative paths are taken from
// the current directory, which start-up makes the program folder). The path is one argument,
// never parsed by a shell ("./" is put in front of a path starting with "-" so that the shell
// does not take it for an option). Returns the task id (the pid), or 0 when the file is missing
// or nothing started.
int32_t RunScript(const QString& path);
int32_t RunScript(const QString& path, ProcessLauncher& launcher);

}  // namespace korvex
