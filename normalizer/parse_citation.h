#pragma once

// One parse of a prepared citation over the citation grammar, and the reading
// back of its CitationRecord.

#include <string>

#include "normalizer/parse_values.h"

namespace glr {
class Parser;
struct Tables;
}  // namespace glr

namespace Veltra::Penwork::Recognizer {

class ReporterCatalogue;

// The generated tables of the citation grammar.
const glr::Tables& CitationGrammarTables() noexcept;

// Parses `input`, a citation already prepared by NormalizeCitation (lower case,
// no leading blanks), over the whole of its length. On success sets
// `normalized` to the normalized citation and `category` to the category an
// action set or, failing that, the one its reporter name gives
// (ClassifyByReporterName; possibly empty), clears `error` and returns true. On
// failure (a syntax error, or an action rejected the parse) moves the
// accumulated error text into `error`, leaves `normalized` and `category`
// untouched and returns false. `input` must not be one of the outputs. Safe
// to call from several threads at once: each thread parses with a parser of
// its own, kept from one call to the next.
bool ParseCitation(const std::string& input, std::string& normalized, std::string& category,
                   std::string& error);

// ParseCitation with the category by reporter name taken from `catalogue`.
bool ParseCitation(const std::string& input, std::string& normalized, std::string& category,
                   std::string& error, const ReporterCatalogue& catalogue);

// ParseCitation on a parser the caller made over CitationGrammarTables(), for
// callers that look at the parser afterwards (reduction counts, memory). The
// parser's hooks and globals are set here for this parse; its other settings
// (coverage, limits) are the caller's.
bool ParseCitationWith(glr::Parser& parser, const std::string& input, std::string& normalized,
                       std::string& category, std::string& error,
                       const ReporterCatalogue* catalogue = nullptr);

// The end of ParseCitation once the parser has run and its actions have filled
// `record`. `treeReturned` says whether the parser produced a tree and
// `syntaxErrors` how many syntax errors it counted. A parse without a tree and
// without a counted error reports the error "Syntax error". The outputs are
// written as ParseCitation describes, the category by reporter name coming
// from `catalogue` when one is given; the record's text and error may be
// moved out.
bool ReadBackParse(CitationRecord& record, bool treeReturned, unsigned syntaxErrors,
                   std::string& normalized, std::string& category, std::string& error,
                   const ReporterCatalogue* catalogue = nullptr);

}  // namespace Veltra::Penwork::Recognizer
