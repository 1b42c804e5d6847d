#pragma once

// The citation normalizer's entry point.
//
// NormalizeCitation takes a candidate citation as 8-bit text (as the citation
// recognizer found it) and decides whether it is a citation. If so it rewrites
// it into the one canonical form (lower case, single blanks, the reporter or
// family word between the numbers: "410 U.S. 113" becomes "410 us 113") and
// names its category. Document-identifier shapes ("dk ...", "wk<identifier>
// ...", a source identifier as first word) are answered without the grammar;
// everything else goes through one parse (ParseCitation).
//
// The driver keeps no state between calls and its tables are constant; it is
// safe to call from several threads at once as long as ParseCitation is.

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/export.h"

namespace Veltra::Penwork::Recognizer {

// The longest candidate the driver looks at, in bytes. No citation comes near
// it; a longer text is refused at once, untouched, so that the cost of one call
// stays bounded whatever the caller hands in (preparing and cleaning up a text
// is linear in its length, and the parser's own limits do not cover that).
constexpr std::size_t kMaxCandidateLength = 4096;

// Normalizes `citation` in place.
//   - A candidate longer than kMaxCandidateLength: false, both outputs untouched.
//   - A candidate whose first "*", "_" or "#" is anything but a "#" directly
//     after "&" (a character reference such as "&#38;") is refused: false, both
//     outputs untouched.
//   - Otherwise the text is prepared (A-Z lower-cased, leading blanks, control
//     characters and bytes of 0x80 and above dropped) and:
//       true with `citation` = the normalized citation and `category` = its
//       category (possibly empty) when the grammar accepts it;
//       true with `citation` rewritten and `category` untouched for the
//       document-identifier shapes;
//       false with `citation` = the prepared text cleaned up (CleanFallback)
//       and `category` untouched when the grammar refuses it.
SMARTTAG_EXPORT bool NormalizeCitation(std::string& citation, std::string& category);

class ReporterCatalogue;

// NormalizeCitation where the category a citation gets by its reporter name,
// when the grammar's actions name none, comes from `catalogue` (a host's
// update over the reporter tables) instead of the tables alone.
bool NormalizeCitation(std::string& citation, std::string& category, const ReporterCatalogue& catalogue);

// The signature of ParseCitation (see parse_citation.h).
using ParseFunction = bool (*)(const std::string& input, std::string& normalized, std::string& category,
                               std::string& error);

// NormalizeCitation with another parse step in place of ParseCitation; a seam
// for tests of the driver's own steps.
bool NormalizeCitationWith(std::string& citation, std::string& category, ParseFunction parse);

// The category of a normalized citation by its reporter name: the words between
// the volume and the last word ("123 f supp 2d 456" -> "f supp 2d"), or, when
// the citation does not begin with a digit, everything before the last word.
// Empty when the citation has no blank, no reporter words, or an unknown
// reporter. The view refers to static storage.
std::string_view ClassifyByReporterName(std::string_view normalized) noexcept;

// The same, from `catalogue`.
std::string_view ClassifyByReporterName(std::string_view normalized, const ReporterCatalogue& catalogue) noexcept;

// Cleans a text the grammar was not asked about or refused, in place: runs of
// blanks, tabs, ",", "/", "\", "_", byte 0xC2 and of "." not followed by a
// letter or digit become one blank (none at the end); apostrophes are dropped;
// a "*" ends the text; the section sign (byte 0xA7) becomes "sc".
// "12 u.s.c. sec. 1" becomes "12 u.s.c sec 1".
void CleanFallback(std::string& text);

// The replacement of a leading source word ("frap" -> "frapproc"), or an empty
// view when the word has none.
std::string_view PrefixAlias(std::string_view firstWord) noexcept;

}  // namespace Veltra::Penwork::Recognizer
