#pragma once

// Source identifiers: document-identifier words that open a candidate citation
// ("akcase 410 u.s. 113", "frapproc 4"). Each is a two-letter jurisdiction prefix
// (a state postal code, "us", "f1" ... "f11" and the like) followed by a mnemonic
// of the source. A text opening with one of them bypasses the grammar unless the
// identifier names a body of case law, in which case the rest of the text is
// parsed as a citation.
//
// Both lists are constant, sorted byte-wise and searched by binary search.

#include <string_view>

#include "normalizer/sorted_table.h"

namespace Veltra::Penwork::Recognizer {

// True when `word` is exactly one of the 1,736 source identifiers.
bool IsSourceIdentifier(std::string_view word) noexcept;

// True when `word` is exactly one of the 112 case-law identifiers. Every
// case-law identifier is also a source identifier.
bool IsCaseLawIdentifier(std::string_view word) noexcept;

// The lists themselves, each strictly ascending (byte-wise).
TableView<std::string_view> SourceIdentifierTable() noexcept;
TableView<std::string_view> CaseLawIdentifierTable() noexcept;

}  // namespace Veltra::Penwork::Recognizer
