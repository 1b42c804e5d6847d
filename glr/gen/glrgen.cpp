// glrgen: checks grammar files and writes the C++ tables the runtime parses with.
//
//   glrgen --check FILE...
//   glrgen --header OUT.h --source OUT.cpp --routines-header HDR --routines NAME
//          --namespace NS [--include-name NAME.h] FILE...
#include <cstring>
#include <fstream>
#include <iostream>

#include "glr/gen/emit.h"
#include "glr/gen/grammar.h"

namespace {

int usage() {
  std::cerr << "usage: glrgen --check FILE...\n"
               "       glrgen --header OUT.h --source OUT.cpp --routines-header HDR --routines NAME\n"
               "              --namespace NS [--include-name NAME.h] [--stats] FILE...\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool check_only = false, stats = false;
  glr::gen::EmitOptions opt;
  std::string header, source;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& dst) {
      if (i + 1 >= argc) return false;
      dst = argv[++i];
      return true;
    };
    if (a == "--check") check_only = true;
    else if (a == "--stats") stats = true;
    else if (a == "--header") { if (!value(header)) return usage(); }
    else if (a == "--source") { if (!value(source)) return usage(); }
    else if (a == "--routines-header") { if (!value(opt.routines_header)) return usage(); }
    else if (a == "--routines") { if (!value(opt.routines)) return usage(); }
    else if (a == "--namespace") { if (!value(opt.ns)) return usage(); }
    else if (a == "--include-name") { if (!value(opt.header_include)) return usage(); }
    else if (a.size() > 1 && a[0] == '-') return usage();
    else files.push_back(a);
  }
  if (files.empty()) return usage();
  if (!check_only && (header.empty() || source.empty() || opt.routines.empty() || opt.ns.empty()))
    return usage();

  glr::gen::Diagnostics diags;
  glr::gen::GrammarAst ast;
  for (const auto& f : files) glr::gen::read_grammar_file(f, ast, diags);
  glr::gen::Grammar g;
  bool ok = !diags.has_errors();
  ok = glr::gen::lower_grammar(ast, g, diags) && ok;
  glr::gen::Tables tables;
  glr::gen::ParseProductions parse;
  if (ok) {
    glr::gen::expand_options(g, parse);
    ok = glr::gen::build_tables(g, parse, tables, diags);
  }
  std::cerr << diags.format();
  if (!ok) {
    std::cerr << "glrgen: " << diags.error_count() << " error(s)\n";
    return 1;
  }
  if (stats || check_only) {
    size_t rules = 0, keywords = 0, regexes = 0;
    for (size_t i = 1; i < g.symbols.size(); ++i) {
      const auto& sym = g.symbols[i];
      if (sym.kind == glr::gen::SymKind::Rule && sym.name != "$accept") ++rules;
      if (sym.kind == glr::gen::SymKind::Terminal) ++(sym.is_regex ? regexes : keywords);
    }
    std::cerr << "glrgen: " << rules << " rules (" << (g.symbols.size() - g.nterminals - 1)
              << " nonterminals with groups, options and repetitions), " << keywords << " keywords, " << regexes
              << " expressions, " << g.productions.size() - 1 << " productions (" << parse.prods.size() - 1
              << " to parse with options expanded), " << tables.states.size()
              << " states, " << tables.scanners.size() << " scanner(s) with";
    for (size_t i = 0; i < tables.scanners.size(); ++i)
      std::cerr << (i ? ", " : " ") << tables.scanners[i].nstates() << " states";
    std::cerr << ", " << tables.conflicts << " conflicting states\n";
  }
  if (check_only) return 0;
  if (opt.header_include.empty()) {
    auto slash = header.find_last_of('/');
    opt.header_include = slash == std::string::npos ? header : header.substr(slash + 1);
  }
  opt.source_name = source;
  std::string h, s;
  glr::gen::emit(g, parse, tables, opt, h, s);
  auto write = [](const std::string& path, const std::string& text, bool only_if_changed) {
    if (only_if_changed) {
      std::ifstream in(path, std::ios::binary);
      std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      if (in.good() || in.eof())
        if (old == text) return true;
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out);
  };
  // The header rarely changes; leaving it untouched spares the sources that
  // include it a rebuild when only the tables change.
  if (!write(header, h, true) || !write(source, s, false)) {
    std::cerr << "glrgen: cannot write the output files\n";
    return 1;
  }
  return 0;
}
