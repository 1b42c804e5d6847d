// ParseCitation: the seam between the driver and the generated parser.
//
// TEMPORARY. The generated citation parser is not wired in yet, so this file
// reports every input as a syntax error, which sends every candidate down the
// driver's clean-up path. When the parser exists, this function is to: create
// a parser over the generated tables with one value slot per node, set the
// free-node hook (FreeValue), the syntax-error hook (AppendSyntaxErrorLine into
// the record, then stop at the first error) and the ambiguity hook (first
// reading wins), hand it `record` as its globals, parse the whole input, release
// any tree, and finish with ReadBackParse. Nothing else in the normalizer
// changes when that happens.

#include "normalizer/parse_citation.h"

namespace Veltra::Penwork::Recognizer {

bool ParseCitation(const std::string& input, std::string& normalized, std::string& category,
                   std::string& error) {
    CitationRecord record;
    record.text = input;
    return ReadBackParse(record, /*treeReturned=*/false, /*syntaxErrors=*/0, normalized, category, error);
}

}  // namespace Veltra::Penwork::Recognizer
