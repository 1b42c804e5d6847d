// The grammar reader and checker of glrgen on arbitrary grammar text, and,
// for grammars that pass the checks, the table builder and the C++ output.
//
// Grammars come from the project's own files, but the reader must still
// answer any text with diagnostics rather than a crash: a slip in a grammar
// file is reported with its file, line and column. Checked: a text the
// reader or checker refuses has at least one error, each error message has
// its place, and a grammar accepted once is accepted again with the same
// tables (the generator's output must not depend on addresses or order of
// allocation).

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "glr/gen/emit.h"
#include "glr/gen/grammar.h"

namespace {

// Table building is the generator's costly part (LR states, scanner DFAs of
// up to 60,000 states); larger texts are read and checked only.
const std::size_t kMaxBuiltGrammar = 2048;

bool Generate(const std::string& text, std::string& header, std::string& source) {
    glr::gen::Diagnostics diags;
    glr::gen::GrammarAst ast;
    glr::gen::read_grammar_text("fuzz.g", text, ast, diags);
    glr::gen::Grammar grammar;
    bool ok = !diags.has_errors();
    ok = glr::gen::lower_grammar(ast, grammar, diags) && ok;
    diags.format();
    if (!ok) FUZZ_CHECK(diags.error_count() > 0);
    for (const glr::gen::Diag& d : diags.all()) FUZZ_CHECK(d.loc.file && d.loc.line >= 1 && d.loc.col >= 1);
    if (!ok || text.size() > kMaxBuiltGrammar) return false;

    glr::gen::Tables tables;
    glr::gen::ParseProductions parse;
    glr::gen::expand_options(grammar, parse);
    if (!glr::gen::build_tables(grammar, parse, tables, diags)) {
        FUZZ_CHECK(diags.error_count() > 0);
        return false;
    }
    glr::gen::EmitOptions options;
    options.routines_header = "fuzz_routines.h";
    options.routines = "FuzzRoutines";
    options.ns = "fuzz_grammar";
    options.header_include = "fuzz_grammar.h";
    options.source_name = "fuzz_grammar.cpp";
    glr::gen::emit(grammar, parse, tables, options, header, source);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string header, source;
    if (!Generate(text, header, source)) return 0;
    std::string header2, source2;
    FUZZ_CHECK(Generate(text, header2, source2));
    FUZZ_CHECK(header == header2 && source == source2);
    return 0;
}
