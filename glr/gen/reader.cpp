// Reader for the grammar files: a tokenizer over the whole file followed by a
// recursive-descent parser. Errors are reported with their position and the
// reader resynchronises at the next ';', so one run reports every error.
#include <cctype>
#include <fstream>
#include <sstream>

#include "glr/gen/grammar.h"

namespace glr::gen {

const std::string* Diagnostics::intern_file(const std::string& name) {
  for (const auto& f : files_)
    if (*f == name) return f.get();
  files_.push_back(std::make_unique<std::string>(name));
  return files_.back().get();
}

void Diagnostics::error(const Loc& loc, std::string message) {
  diags_.push_back({loc, true, std::move(message)});
  ++errors_;
}

void Diagnostics::warning(const Loc& loc, std::string message) {
  diags_.push_back({loc, false, std::move(message)});
}

std::string Diagnostics::format() const {
  std::ostringstream out;
  for (const Diag& d : diags_) {
    out << (d.loc.file ? *d.loc.file : std::string("<input>")) << ':' << d.loc.line << ':'
        << d.loc.col << ": " << (d.error ? "error: " : "warning: ") << d.message << '\n';
  }
  return out.str();
}

namespace {

enum class Tok {
  End, Ident, String, Regex, Number, Dollar, Directive,
  Colon, Bar, Semi, LParen, RParen, Question, Star, Plus, Arrow, Equals, LBrace, RBrace, At, Comma,
  Bad
};

struct Token {
  Tok kind = Tok::End;
  std::string text;  // identifier, decoded string, regex source, directive name
  long number = 0;   // Number, Dollar
  Loc loc;
};

class Lexer {
 public:
  Lexer(const std::string* file, const std::string& src, Diagnostics& diags)
      : file_(file), src_(src), diags_(diags) {}

  std::vector<Token> run() {
    std::vector<Token> out;
    for (;;) {
      skip_space();
      Token t;
      t.loc = here();
      if (pos_ >= src_.size()) {
        out.push_back(t);
        return out;
      }
      char c = src_[pos_];
      if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
        size_t b = pos_;
        while (pos_ < src_.size() &&
               (std::isalnum(static_cast<unsigned char>(src_[pos_])) || src_[pos_] == '_'))
          advance();
        t.kind = Tok::Ident;
        t.text = src_.substr(b, pos_ - b);
      } else if (std::isdigit(static_cast<unsigned char>(c))) {
        t.kind = Tok::Number;
        t.number = read_number();
      } else if (c == '$') {
        advance();
        if (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) {
          t.kind = Tok::Dollar;
          t.number = read_number();
        } else {
          diags_.error(t.loc, "'$' must be followed by an element number");
          t.kind = Tok::Bad;
        }
      } else if (c == '%') {
        advance();
        size_t b = pos_;
        while (pos_ < src_.size() && std::isalpha(static_cast<unsigned char>(src_[pos_]))) advance();
        t.kind = Tok::Directive;
        t.text = src_.substr(b, pos_ - b);
      } else if (c == '"') {
        t.kind = Tok::String;
        read_string(t);
      } else if (c == '/') {
        t.kind = Tok::Regex;
        read_regex(t);
      } else if (c == '=' && peek(1) == '>') {
        advance();
        advance();
        t.kind = Tok::Arrow;
      } else {
        advance();
        switch (c) {
          case ':': t.kind = Tok::Colon; break;
          case '|': t.kind = Tok::Bar; break;
          case ';': t.kind = Tok::Semi; break;
          case '(': t.kind = Tok::LParen; break;
          case ')': t.kind = Tok::RParen; break;
          case '?': t.kind = Tok::Question; break;
          case '*': t.kind = Tok::Star; break;
          case '+': t.kind = Tok::Plus; break;
          case '=': t.kind = Tok::Equals; break;
          case '{': t.kind = Tok::LBrace; break;
          case '}': t.kind = Tok::RBrace; break;
          case '@': t.kind = Tok::At; break;
          case ',': t.kind = Tok::Comma; break;
          default:
            diags_.error(t.loc, std::string("unexpected character '") + c + "'");
            t.kind = Tok::Bad;
        }
      }
      out.push_back(std::move(t));
    }
  }

 private:
  Loc here() const { return Loc{file_, line_, col_}; }
  char peek(size_t ahead) const {
    return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0';
  }
  void advance() {
    if (src_[pos_] == '\n') {
      ++line_;
      col_ = 1;
    } else {
      ++col_;
    }
    ++pos_;
  }
  void skip_space() {
    while (pos_ < src_.size()) {
      char c = src_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
        advance();
      } else if (c == '/' && peek(1) == '/') {
        while (pos_ < src_.size() && src_[pos_] != '\n') advance();
      } else {
        break;
      }
    }
  }
  long read_number() {
    long v = 0;
    while (pos_ < src_.size() && std::isdigit(static_cast<unsigned char>(src_[pos_]))) {
      if (v < 100000000) v = v * 10 + (src_[pos_] - '0');
      advance();
    }
    return v;
  }
  static int hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  void read_string(Token& t) {
    advance();  // opening quote
    for (;;) {
      if (pos_ >= src_.size() || src_[pos_] == '\n') {
        diags_.error(t.loc, "unterminated string");
        t.kind = Tok::Bad;
        return;
      }
      char c = src_[pos_];
      if (c == '"') {
        advance();
        return;
      }
      if (c != '\\') {
        t.text += c;
        advance();
        continue;
      }
      Loc at = here();
      advance();
      if (pos_ >= src_.size()) continue;
      char e = src_[pos_];
      advance();
      switch (e) {
        case 'n': t.text += '\n'; break;
        case 't': t.text += '\t'; break;
        case 'r': t.text += '\r'; break;
        case 'f': t.text += '\f'; break;
        case 'v': t.text += '\v'; break;
        case 'x': {
          int h1 = hex(peek(0)), h2 = hex(peek(1));
          if (h1 < 0 || h2 < 0) {
            diags_.error(at, "\\x must be followed by two hexadecimal digits");
            t.kind = Tok::Bad;
          } else {
            t.text += static_cast<char>(h1 * 16 + h2);
            advance();
            advance();
          }
          break;
        }
        default: t.text += e;  // \\, \", \' and any other character stand for themselves
      }
    }
  }
  void read_regex(Token& t) {
    advance();  // opening slash
    bool in_class = false;
    // Where an unclosed class would have ended the expression: an unescaped
    // '/' inside it. Used when the line ends inside the class, so that the
    // regex reader reports the class rather than losing the rest of the line.
    size_t class_slash = std::string::npos;
    std::string at_class_slash;
    int class_line = 0, class_col = 0;
    for (;;) {
      if (pos_ >= src_.size() || src_[pos_] == '\n') {
        if (in_class && class_slash != std::string::npos) {
          // Rewind to just after that slash.
          pos_ = class_slash + 1;
          line_ = class_line;
          col_ = class_col + 1;
          t.text = at_class_slash;
          return;
        }
        diags_.error(t.loc, "unterminated regular expression");
        t.kind = Tok::Bad;
        return;
      }
      if (in_class && src_[pos_] == '/' && class_slash == std::string::npos) {
        class_slash = pos_;
        at_class_slash = t.text;
        class_line = line_;
        class_col = col_;
      }
      char c = src_[pos_];
      if (c == '\\' && pos_ + 1 < src_.size() && src_[pos_ + 1] != '\n') {
        t.text += c;
        advance();
        t.text += src_[pos_];
        advance();
        continue;
      }
      if (!in_class && c == '/') {
        advance();
        return;
      }
      if (!in_class && c == '[') {
        in_class = true;
        t.text += c;
        advance();
        // a ']' right after '[' or '[^' is an ordinary member
        if (pos_ < src_.size() && src_[pos_] == '^') {
          t.text += '^';
          advance();
        }
        if (pos_ < src_.size() && src_[pos_] == ']') {
          t.text += ']';
          advance();
        }
        continue;
      }
      if (in_class && c == ']') in_class = false;
      t.text += c;
      advance();
    }
  }

  const std::string* file_;
  const std::string& src_;
  Diagnostics& diags_;
  size_t pos_ = 0;
  int line_ = 1;
  int col_ = 1;
};

class Reader {
 public:
  Reader(std::vector<Token> toks, GrammarAst& ast, Diagnostics& diags)
      : toks_(std::move(toks)), ast_(ast), diags_(diags) {}

  void run() {
    while (cur().kind != Tok::End) {
      size_t before = pos_;
      if (cur().kind == Tok::Directive) {
        directive();
      } else if (cur().kind == Tok::Ident) {
        rule();
      } else {
        // Reported and skipped here: nothing above run() catches Failed.
        if (cur().kind != Tok::Bad) diags_.error(cur().loc, "expected a rule or a declaration");
      }
      if (pos_ == before) ++pos_;  // always make progress
    }
  }

 private:
  struct Failed {};

  const Token& cur() const { return toks_[pos_]; }
  const Token& next() const { return toks_[pos_ + 1 < toks_.size() ? pos_ + 1 : pos_]; }
  void eat() {
    if (toks_[pos_].kind != Tok::End) ++pos_;
  }
  [[noreturn]] void fail(const Loc& loc, const std::string& msg) {
    if (cur().kind != Tok::Bad) diags_.error(loc, msg);
    throw Failed{};
  }
  void expect(Tok k, const char* what) {
    if (cur().kind != k) fail(cur().loc, std::string("expected ") + what);
    eat();
  }
  // Skips to the end of the broken rule: past the next ';', or up to a name
  // at the start of a line followed by ':' (the next rule).
  void resync() {
    size_t from = pos_;
    while (cur().kind != Tok::End && cur().kind != Tok::Semi) {
      if (pos_ > from && cur().kind == Tok::Ident && cur().loc.col == 1 && next().kind == Tok::Colon) return;
      eat();
    }
    eat();
  }

  void directive() {
    Token d = cur();
    eat();
    try {
      if (d.text == "start") {
        if (cur().kind != Tok::Ident) fail(cur().loc, "expected the start symbol's name");
        if (!ast_.start.empty() && ast_.start != cur().text) {
          diags_.error(d.loc, "second start symbol '" + cur().text + "' (the first is '" +
                                  ast_.start + "')");
        } else if (ast_.start.empty()) {
          ast_.start = cur().text;
          ast_.start_loc = cur().loc;
        }
        eat();
      } else if (d.text == "routine" || d.text == "action") {
        bool routine = d.text == "routine";
        if (cur().kind != Tok::Ident) fail(cur().loc, "expected a routine name");
        Token name = cur();
        eat();
        int arity = -1;
        if (routine) {
          if (cur().kind != Tok::Number) fail(cur().loc, "expected the routine's arity");
          arity = static_cast<int>(cur().number);
          eat();
        }
        auto& table = routine ? ast_.routines : ast_.actions;
        auto& other = routine ? ast_.actions : ast_.routines;
        if (other.count(name.text)) {
          diags_.error(name.loc, "'" + name.text + "' is declared both as %routine and %action");
        }
        auto it = table.find(name.text);
        if (it == table.end()) {
          table[name.text] = RoutineDecl{arity, name.loc};
        } else if (it->second.arity != arity) {
          diags_.error(name.loc, "'" + name.text + "' redeclared with a different arity");
        }
      } else {
        fail(d.loc, "unknown directive %" + d.text);
      }
      if (cur().kind == Tok::Semi) eat();
    } catch (Failed&) {
      resync();
    }
  }

  void rule() {
    Rule r;
    r.name = cur().text;
    r.loc = cur().loc;
    eat();
    try {
      expect(Tok::Colon, "':' after the rule name");
      r.alts = alternatives(true);
      if (cur().kind != Tok::Semi) fail(cur().loc, "expected ';' at the end of rule '" + r.name + "'");
      eat();
    } catch (Failed&) {
      resync();
    }
    ast_.rules.push_back(std::move(r));
  }

  std::vector<Alternative> alternatives(bool top) {
    std::vector<Alternative> alts;
    for (;;) {
      alts.push_back(alternative(top));
      if (cur().kind != Tok::Bar) break;
      eat();
    }
    return alts;
  }

  Alternative alternative(bool top) {
    Alternative a;
    a.loc = cur().loc;
    for (;;) {
      Tok k = cur().kind;
      if (k == Tok::Ident) {
        if (top && next().kind == Tok::Colon) fail(cur().loc, "expected ';' before rule '" + cur().text + "'");
        Element e;
        e.kind = ElemKind::Nonterminal;
        e.text = cur().text;
        e.loc = cur().loc;
        eat();
        postfix(e);
        a.elems.push_back(std::move(e));
      } else if (k == Tok::String || k == Tok::Regex) {
        Element e;
        e.kind = k == Tok::String ? ElemKind::Keyword : ElemKind::Regex;
        e.text = cur().text;
        e.loc = cur().loc;
        if (k == Tok::String && e.text.empty()) diags_.error(e.loc, "empty keyword");
        eat();
        postfix(e);
        a.elems.push_back(std::move(e));
      } else if (k == Tok::LParen) {
        Element e;
        e.kind = ElemKind::Group;
        e.loc = cur().loc;
        eat();
        e.alts = alternatives(false);
        expect(Tok::RParen, "')' closing the group");
        postfix(e);
        a.elems.push_back(std::move(e));
      } else if (k == Tok::Directive && cur().text == "empty") {
        eat();
      } else if (k == Tok::Arrow) {
        a.action.present = true;
        a.action.loc = cur().loc;
        eat();
        items(a.action);
        return a;
      } else if (k == Tok::Bar || k == Tok::Semi || k == Tok::RParen || k == Tok::End) {
        return a;
      } else {
        fail(cur().loc, "unexpected token in a production");
      }
    }
  }

  void postfix(Element& e) {
    for (;;) {
      Tok k = cur().kind;
      if (k == Tok::Question) e.postfix.push_back('?');
      else if (k == Tok::Star) e.postfix.push_back('*');
      else if (k == Tok::Plus) e.postfix.push_back('+');
      else return;
      eat();
    }
  }

  int dollar() {
    if (cur().kind != Tok::Dollar) fail(cur().loc, "expected $k");
    int k = static_cast<int>(cur().number);
    eat();
    return k;
  }

  void items(Action& act) {
    for (;;) {
      Tok k = cur().kind;
      if (k == Tok::Bar || k == Tok::Semi || k == Tok::RParen || k == Tok::End) return;
      ActionItem it;
      it.loc = cur().loc;
      if (k == Tok::String) {
        it.kind = ItemKind::Literal;
        it.text = cur().text;
        eat();
      } else if (k == Tok::Dollar) {
        it.kind = ItemKind::Value;
        it.k = dollar();
      } else if (k == Tok::Equals) {
        eat();
        it.kind = ItemKind::Move;
        it.k = dollar();
        if (!act.items.empty()) diags_.error(it.loc, "=$k must be the first item of an action");
      } else if (k == Tok::At) {
        eat();
        if (cur().kind != Tok::Ident) fail(cur().loc, "expected an action routine name after '@'");
        it.kind = ItemKind::ActionRoutine;
        it.name = cur().text;
        eat();
      } else if (k == Tok::LBrace) {
        eat();
        if (cur().kind != Tok::Ident) fail(cur().loc, "expected 'cat' or 'reject'");
        std::string word = cur().text;
        eat();
        if (word == "cat") {
          it.kind = ItemKind::Category;
          if (cur().kind != Tok::Ident && cur().kind != Tok::String) fail(cur().loc, "expected a category");
          it.text = cur().text;
          it.has_text = true;
          eat();
        } else if (word == "reject") {
          it.kind = ItemKind::Reject;
          if (cur().kind == Tok::String) {
            it.text = cur().text;
            it.has_text = true;
            eat();
          }
        } else {
          fail(it.loc, "unknown item {" + word + "}");
        }
        expect(Tok::RBrace, "'}'");
      } else if (k == Tok::Ident) {
        std::string w = cur().text;
        eat();
        if (w == "_" && (cur().kind == Tok::String || cur().kind == Tok::Dollar)) {
          it.space = true;
          if (cur().kind == Tok::String) {
            it.kind = ItemKind::Literal;
            it.text = cur().text;
            eat();
          } else {
            it.kind = ItemKind::Value;
            it.k = dollar();
          }
        } else {
          expect(Tok::LParen, "'(' after a routine name");
          bool lead = w.size() > 1 && w[0] == '_';
          std::string base = lead ? w.substr(1) : w;
          if (base == "nz" || base == "txt" || base == "all" || base == "all_") {
            it.kind = base == "nz" ? ItemKind::TrimZeros
                      : base == "txt" ? ItemKind::Text
                                      : ItemKind::Children;
            it.space = lead;
            it.space_between = base == "all_";
            it.k = dollar();
          } else {
            it.kind = ItemKind::Routine;
            it.name = w;
            while (cur().kind != Tok::RParen) {
              it.args.push_back(dollar());
              if (cur().kind == Tok::Comma) eat();
              else if (cur().kind != Tok::RParen) fail(cur().loc, "expected ',' or ')'");
            }
          }
          expect(Tok::RParen, "')'");
        }
      } else {
        fail(cur().loc, "unexpected token in an action");
      }
      act.items.push_back(std::move(it));
    }
  }

  std::vector<Token> toks_;
  size_t pos_ = 0;
  GrammarAst& ast_;
  Diagnostics& diags_;
};

}  // namespace

void read_grammar_text(const std::string& name, const std::string& text, GrammarAst& ast,
                       Diagnostics& diags) {
  const std::string* file = diags.intern_file(name);
  ast.files.push_back(name);
  Lexer lex(file, text, diags);
  Reader reader(lex.run(), ast, diags);
  reader.run();
}

void read_grammar_file(const std::string& path, GrammarAst& ast, Diagnostics& diags) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    diags.error(Loc{diags.intern_file(path), 0, 0}, "cannot read the file");
    return;
  }
  std::ostringstream buf;
  buf << in.rdbuf();
  read_grammar_text(path, buf.str(), ast, diags);
}

}  // namespace glr::gen
