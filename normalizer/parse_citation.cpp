// ParseCitation: one parse of a prepared citation over the generated citation
// grammar. The grammar's actions (CitationActions) build the normalized text
// in the node values and write the whole citation, its category and any
// refusal into the CitationRecord handed to the parser as its globals;
// ReadBackParse turns that record into the results.

#include "normalizer/parse_citation.h"

#include <cstddef>
#include <memory>

#include "citation_grammar.h"
#include "glr/parser.h"
#include "normalizer/citation_actions.h"
#include "platform/per_thread.h"

namespace Veltra::Penwork::Recognizer {
namespace {

// Appends "<line>:<column> syntax error[ after <text>]" to the record and stops
// the parse at this first error.
void ReportSyntaxError(glr::Parser& parser, const glr::SyntaxError& error, void* /*user*/) {
    if (auto* record = static_cast<CitationRecord*>(parser.globals())) {
        AppendSyntaxErrorLine(*record, error.line, error.column,
                              error.has_after ? std::optional<std::string_view>(error.after) : std::nullopt);
    }
    parser.set_error_recovery(false);
}

// What the engine's own rules leave undecided goes to the reading written
// first in the grammar. The readings are counted for whoever wants to know.
unsigned TakeFirstReading(glr::Parser& /*parser*/, const glr::Ambiguity& ambiguity, void* user) {
    if (auto* extra = static_cast<unsigned long*>(user)) *extra += ambiguity.readings - 1;
    return 0;
}

}  // namespace

const glr::Tables& CitationGrammarTables() noexcept { return citation_grammar::tables(); }

bool ParseCitationWith(glr::Parser& parser, const std::string& input, std::string& normalized,
                       std::string& category, std::string& error, const ReporterCatalogue* catalogue) {
    unsigned long extraReadings = 0;
    parser.set_free_node_hook(&CitationActions::FreeNodeValue);
    parser.set_syntax_error_hook(&ReportSyntaxError);
    parser.set_ambiguity_hook(&TakeFirstReading, &extraReadings);
    parser.set_error_recovery(true);
    parser.set_keep_tree(false);

    CitationRecord record;
    record.text = input;
    parser.set_globals(&record);
    const bool treeReturned = parser.parse(input.data(), input.size());
    // The tree, if one was kept, is not needed: the actions have already
    // copied what matters into the record.
    parser.free_tree();
    const unsigned syntaxErrors = parser.syntax_errors();
    parser.set_globals(nullptr);
    parser.set_ambiguity_hook(&TakeFirstReading, nullptr);
    return ReadBackParse(record, treeReturned, syntaxErrors, normalized, category, error, catalogue);
}

namespace {

// Each thread keeps one parser and reuses it from parse to parse: making a
// parser costs about a fifth of a typical parse, and a parser starts every
// parse afresh (ParseCitationWith sets everything a parse depends on). A parse
// that left the parser holding more than kKeptParserMemory bytes (a long
// input) gives the memory back by dropping the parser, and so does a parse
// that threw. Should a parse ever be started from inside another on the same
// thread, the inner one gets a parser of its own.
bool ParseOnThreadParser(const std::string& input, std::string& normalized, std::string& category,
                         std::string& error, const ReporterCatalogue* catalogue) {
    static constexpr std::size_t kKeptParserMemory = std::size_t(1) << 20;
    using Kept = smarttag::platform::PerThread<glr::Parser>;
    thread_local bool inUse = false;
    if (inUse) {
        glr::Parser parser(CitationGrammarTables());
        return ParseCitationWith(parser, input, normalized, category, error, catalogue);
    }
    if (!Kept::Get()) Kept::Reset(std::make_unique<glr::Parser>(CitationGrammarTables()));
    struct Release {
        bool done = false;
        ~Release() {
            inUse = false;
            if (!done || Kept::Get()->memory_in_use() > kKeptParserMemory) Kept::Reset();
        }
    } release;
    inUse = true;
    const bool ok = ParseCitationWith(*Kept::Get(), input, normalized, category, error, catalogue);
    release.done = true;
    return ok;
}

}  // namespace

bool ParseCitation(const std::string& input, std::string& normalized, std::string& category,
                   std::string& error) {
    return ParseOnThreadParser(input, normalized, category, error, nullptr);
}

bool ParseCitation(const std::string& input, std::string& normalized, std::string& category,
                   std::string& error, const ReporterCatalogue& catalogue) {
    return ParseOnThreadParser(input, normalized, category, error, &catalogue);
}

}  // namespace Veltra::Penwork::Recognizer
