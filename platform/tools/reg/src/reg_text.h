// The text form of the settings store that korvex-reg exports and imports.
//
//   ; Korvex settings store
//   [Software\Vantaro\Korvex\KorvexRotator.Rotator]
//   "AlwaysOnTop"="1"
//   ""="Korvex Rotator"
//
// A section line names a key as it stands between "[" and the line's last "]". Names and values
// are quoted, with \\ \" \n \r \t and \xHH (other control bytes) escaped; everything else,
// non-ASCII included, is written as it is. A key holding a control byte, or starting with a
// quote, is written quoted and escaped the same way: ["..."]. Lines starting with ";" or "#" and
// blank lines are ignored. Import(Export(x)) == x for any bytes, and Export is sorted, so the
// same store always gives the same text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "korvex/store.h"

namespace korvex::reg {

// Entries in any order; the text lists them by key, then name (byte order).
std::string ExportText(std::vector<korvex::store::Entry> entries);

// Appends the entries of `text` to *entries. False on the first malformed line, with
// *error = "line N: what is wrong"; *entries is then unspecified.
bool ParseText(std::string_view text, std::vector<korvex::store::Entry>* entries,
               std::string* error);

}  // namespace korvex::reg
