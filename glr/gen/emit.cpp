// Writes the generated header and source: the tables as constant arrays and
// one small function per distinct action, calling the routine set named at
// generation time. Each action function is preceded by a #line directive that
// points at the alternative in the grammar file.
#include "glr/gen/emit.h"

#include <map>
#include <sstream>

namespace glr::gen {

namespace {

std::string c_string(const std::string& bytes) {
  std::string s = "\"";
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      s += '\\';
      s += static_cast<char>(c);
    } else if (c == '?') {
      s += "\\?";
    } else if (c < 0x20 || c >= 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      s += buf;
    } else {
      s += static_cast<char>(c);
    }
  }
  return s + "\"";
}

std::string sv(const std::string& bytes) {
  return "std::string_view(" + c_string(bytes) + ", " + std::to_string(bytes.size()) + ")";
}

class Out {
 public:
  Out& operator<<(const std::string& s) {
    for (char c : s)
      if (c == '\n') ++lines_;
    text_ += s;
    return *this;
  }
  Out& operator<<(const char* s) { return *this << std::string(s); }
  Out& operator<<(unsigned long long v) { return *this << std::to_string(v); }
  int line() const { return lines_ + 1; }
  std::string& str() { return text_; }

  template <typename T>
  void array(const char* type, const char* name, const std::vector<T>& v) {
    *this << "const " << type << " " << name << "[] = {";
    if (v.empty()) *this << "0";
    std::string chunk;
    for (size_t i = 0; i < v.size(); ++i) {
      if (i % 20 == 0) chunk += "\n  ";
      chunk += std::to_string(static_cast<unsigned long long>(v[i]));
      if (sizeof(T) == 8) chunk += "ull";
      chunk += ',';
    }
    *this << chunk << "\n};\n";
  }

 private:
  std::string text_;
  int lines_ = 0;
};

std::string action_body(const Production& p, const std::string& R) {
  std::ostringstream b;
  auto flag = [](bool f) { return f ? "true" : "false"; };
  for (const ActionItem& it : p.action.items) {
    switch (it.kind) {
      case ItemKind::Literal:
        b << "  " << R << "::AppendLiteral(c, " << sv(it.text) << ", " << flag(it.space) << ");\n";
        break;
      case ItemKind::Value:
        b << "  " << R << "::AppendValue(c, " << it.k << "u, " << flag(it.space) << ");\n";
        break;
      case ItemKind::TrimZeros:
        b << "  " << R << "::AppendValueTrimZeros(c, " << it.k << "u, " << flag(it.space) << ");\n";
        break;
      case ItemKind::Text:
        b << "  " << R << "::AppendMatchedText(c, " << it.k << "u, " << flag(it.space) << ");\n";
        break;
      case ItemKind::Children:
        b << "  " << R << "::AppendChildValues(c, " << it.k << "u, " << flag(it.space) << ", "
          << flag(it.space_between) << ");\n";
        break;
      case ItemKind::Move:
        b << "  " << R << "::MoveValue(c, " << it.k << "u);\n";
        break;
      case ItemKind::Category:
        b << "  " << R << "::SetCategory(c, " << sv(it.text) << ");\n";
        break;
      case ItemKind::Reject:
        if (it.has_text) b << "  " << R << "::Reject(c, " << sv(it.text) << ");\n";
        else b << "  " << R << "::Reject(c);\n";
        break;
      case ItemKind::Routine:
        b << "  " << R << "::" << it.name << "(c";
        for (int k : it.args) b << ", " << k << "u";
        b << ");\n";
        break;
      case ItemKind::ActionRoutine:
        b << "  " << R << "::" << it.name << "(c);\n";
        break;
    }
  }
  if (!p.action.present && p.default_passup) b << "  " << R << "::DefaultPassUp(c);\n";
  return b.str();
}

}  // namespace

void emit(const Grammar& g, const ParseProductions& pp, const Tables& t, const EmitOptions& opt,
          std::string& header, std::string& source) {
  std::string files;
  for (const auto& f : g.files) files += (files.empty() ? "" : " ") + f;
  std::string banner = "// generated from " + files + " by glrgen; do not edit\n";

  {
    Out h;
    h << banner << "#pragma once\n\n#include \"glr/tables.h\"\n\nnamespace " << opt.ns << " {\n\n"
      << "extern const glr::Tables kTables;\n"
      << "inline const glr::Tables& tables() { return kTables; }\n\n}  // namespace " << opt.ns << "\n";
    header = h.str();
  }

  Out s;
  s << banner;
  s << "#include <string_view>\n\n#include \"glr/actions.h\"\n#include \"glr/tables.h\"\n#include \""
    << opt.routines_header << "\"\n#include \"" << opt.header_include << "\"\n\n";
  s << "namespace " << opt.ns << " {\nnamespace {\n\n";

  // Actions, shared between productions with identical bodies.
  std::map<std::string, int> body_id;
  std::vector<int> prod_action(g.productions.size(), 0);
  int nactions = 0;
  for (size_t p = 0; p < g.productions.size(); ++p) {
    std::string body = action_body(g.productions[p], opt.routines);
    if (body.empty()) continue;
    auto it = body_id.find(body);
    if (it != body_id.end()) {
      prod_action[p] = it->second;
      continue;
    }
    int id = ++nactions;
    body_id.emplace(body, id);
    prod_action[p] = id;
    const Loc& loc = g.productions[p].action.present ? g.productions[p].action.loc : g.productions[p].loc;
    s << "#line " << static_cast<unsigned long long>(loc.line) << " " << c_string(loc.file ? *loc.file : "")
      << "\n";
    s << "void action" << static_cast<unsigned long long>(id) << "(glr::ActionContext& c) {\n" << body << "}\n";
    int next = s.line() + 1;
    s << "#line " << static_cast<unsigned long long>(next) << " " << c_string(opt.source_name) << "\n";
  }
  s << "\nconst glr::ActionFn kActions[] = {\n  nullptr,\n";
  for (int i = 1; i <= nactions; ++i) s << "  action" << static_cast<unsigned long long>(i) << ",\n";
  s << "};\n\n";

  // Symbols.
  s << "const char* const kSymbolNames[] = {\n";
  for (const auto& sym : g.symbols) s << "  " << c_string(sym.name) << ",\n";
  s << "};\n";
  std::vector<unsigned> kinds, keyword;
  for (size_t i = 0; i < g.symbols.size(); ++i) {
    kinds.push_back(static_cast<unsigned>(g.symbols[i].kind));
    if (static_cast<int>(i) < g.nterminals) keyword.push_back(i > 0 && !g.symbols[i].is_regex ? 1 : 0);
  }
  s.array("uint8_t", "kSymbolKinds", kinds);
  s.array("uint8_t", "kKeyword", keyword);

  // Productions.
  std::vector<unsigned> rhs;
  s << "const glr::ProductionInfo kProductions[] = {\n";
  for (size_t p = 0; p < g.productions.size(); ++p) {
    const Production& q = g.productions[p];
    std::string where = (q.loc.file ? *q.loc.file : std::string()) + ":" + std::to_string(q.loc.line);
    s << "  {" << static_cast<unsigned long long>(q.lhs) << ", " << static_cast<unsigned long long>(q.rhs.size())
      << ", " << static_cast<unsigned long long>(rhs.size()) << ", "
      << static_cast<unsigned long long>(prod_action[p]) << ", " << c_string(where) << "},\n";
    for (int x : q.rhs) rhs.push_back(static_cast<unsigned>(x));
  }
  s << "};\n";
  s.array("uint32_t", "kRhs", rhs);

  // Parse productions and their recipes.
  std::vector<unsigned> recipes;
  s << "const glr::ParseProductionInfo kParseProductions[] = {\n";
  for (const auto& pr : pp.prods) {
    unsigned first = pr.recipe.empty() ? 0xffffffffu : static_cast<unsigned>(recipes.size() / 3);
    s << "  {" << static_cast<unsigned long long>(pr.lhs) << ", " << static_cast<unsigned long long>(pr.rhs.size())
      << ", " << static_cast<unsigned long long>(pr.production) << ", " << static_cast<unsigned long long>(first)
      << "u},\n";
    for (const auto& e : pr.recipe)
      recipes.insert(recipes.end(), {static_cast<unsigned>(e.kind), static_cast<unsigned>(e.kid),
                                     static_cast<unsigned>(e.production < 0 ? 0 : e.production)});
  }
  s << "};\n";
  s << "const glr::RecipeEntry kRecipes[] = {";
  if (recipes.empty()) s << "{0, 0, 0}";
  for (size_t i = 0; i < recipes.size(); i += 3) {
    if (i % 24 == 0) s << "\n  ";
    s << "{" << recipes[i] << "," << recipes[i + 1] << "," << recipes[i + 2] << "},";
  }
  s << "\n};\n";

  // States.
  std::vector<unsigned> shifts, gotos, reduces;
  s << "const glr::StateInfo kStates[] = {\n";
  for (const auto& st : t.states) {
    s << "  {" << static_cast<unsigned long long>(shifts.size() / 2) << ", "
      << static_cast<unsigned long long>(st.shifts.size()) << ", " << static_cast<unsigned long long>(gotos.size() / 2)
      << ", " << static_cast<unsigned long long>(st.gotos.size()) << ", "
      << static_cast<unsigned long long>(reduces.size() / 2) << ", "
      << static_cast<unsigned long long>(st.reduces.size()) << ", " << static_cast<unsigned long long>(st.scanners)
      << "ull, " << static_cast<unsigned long long>(st.usable) << "},\n";
    for (auto [a, b] : st.shifts) shifts.insert(shifts.end(), {static_cast<unsigned>(a), static_cast<unsigned>(b)});
    for (auto [a, b] : st.gotos) gotos.insert(gotos.end(), {static_cast<unsigned>(a), static_cast<unsigned>(b)});
    for (auto [a, b] : st.reduces) reduces.insert(reduces.end(), {static_cast<unsigned>(a), static_cast<unsigned>(b)});
  }
  s << "};\n";
  auto pairs = [&](const char* type, const char* name, const std::vector<unsigned>& v) {
    s << "const " << type << " " << name << "[] = {";
    if (v.empty()) s << "{0, 0}";
    std::string chunk;
    for (size_t i = 0; i < v.size(); i += 2) {
      if (i % 16 == 0) chunk += "\n  ";
      chunk += "{" + std::to_string(v[i]) + "," + std::to_string(v[i + 1]) + "},";
    }
    s << chunk << "\n};\n";
  };
  pairs("glr::ShiftEntry", "kShifts", shifts);
  pairs("glr::GotoEntry", "kGotos", gotos);
  pairs("glr::ReduceEntry", "kReduces", reduces);
  std::vector<uint64_t> la;
  for (const auto& set : t.lookaheads) la.insert(la.end(), set.begin(), set.end());
  s.array("uint64_t", "kLookaheads", la);

  // Scanners.
  for (size_t i = 0; i < t.scanners.size(); ++i) {
    const Dfa& d = t.scanners[i];
    std::string n = std::to_string(i);
    s.array("uint8_t", ("kClass" + n).c_str(), d.byte_class);
    if (d.nstates() < 65536) s.array("uint16_t", ("kTrans" + n).c_str(), d.trans);
    else s.array("uint32_t", ("kTrans" + n).c_str(), d.trans);
    std::map<std::vector<uint16_t>, uint32_t> pooled;
    std::vector<uint32_t> at;
    std::vector<uint16_t> pool;
    for (int st = 0; st < d.nstates(); ++st) {
      std::vector<uint16_t> list(d.accept_terms.begin() + d.accept_first[st],
                                 d.accept_terms.begin() + d.accept_first[st + 1]);
      auto it = pooled.find(list);
      if (it == pooled.end()) {
        it = pooled.emplace(list, static_cast<uint32_t>(pool.size())).first;
        pool.push_back(static_cast<uint16_t>(list.size()));
        pool.insert(pool.end(), list.begin(), list.end());
      }
      at.push_back(it->second);
    }
    s.array("uint32_t", ("kAcceptAt" + n).c_str(), at);
    s.array("uint16_t", ("kAcceptPool" + n).c_str(), pool);
  }
  s << "const glr::ScannerInfo kScanners[] = {\n";
  for (size_t i = 0; i < t.scanners.size(); ++i) {
    std::string n = std::to_string(i);
    s << "  {" << static_cast<unsigned long long>(t.scanners[i].nstates()) << ", "
      << static_cast<unsigned long long>(t.scanners[i].nclasses) << ", kClass" << n
      << (t.scanners[i].nstates() < 65536 ? ", nullptr, kTrans" : ", kTrans") << n
      << (t.scanners[i].nstates() < 65536 ? "" : ", nullptr")
      << ", kAcceptAt" << n << ", kAcceptPool" << n << ", sizeof(kAcceptPool" << n << ") / sizeof(uint16_t)},\n";
  }
  if (t.scanners.empty()) s << "  {0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, 0},\n";
  s << "};\n\n}  // namespace\n\n";

  int words = (g.nterminals + 63) / 64;
  s << "const glr::Tables kTables = {\n"
    << "  glr::kTablesFormat,\n"
    << "  " << static_cast<unsigned long long>(g.nterminals) << ", " << static_cast<unsigned long long>(g.symbols.size())
    << ", " << static_cast<unsigned long long>(g.productions.size()) << ", "
    << static_cast<unsigned long long>(t.states.size()) << ", " << static_cast<unsigned long long>(g.start) << ",\n"
    << "  kSymbolNames, kSymbolKinds, kKeyword, kProductions, kRhs,\n"
    << "  kStates, kShifts, kGotos, kReduces,\n"
    << "  " << static_cast<unsigned long long>(words) << ", kLookaheads,\n"
    << "  " << static_cast<unsigned long long>(t.scanners.size()) << ", kScanners,\n"
    << "  kActions,\n"
    << "  " << c_string(files) << ",\n"
    << "  " << static_cast<unsigned long long>(pp.prods.size()) << ", kParseProductions, kRecipes,\n"
    << "};\n\n}  // namespace " << opt.ns << "\n";
  source = s.str();
}

}  // namespace glr::gen
