// The normalizer driver. The candidate is prepared in place in the caller's
// string: A-Z are lower-cased over the whole text and the prepared text is the
// part from the first byte that is neither a blank, a control character nor a
// byte of 0x80 or above. The first word is the prepared text up to its first
// tab, blank or ":" (that separator belongs to the prepared text but not to the
// word). Working in place keeps the common path free of copies: a short
// citation goes through without a heap allocation outside the parser.

#include "normalizer/normalize_citation.h"

#include <utility>

#include "normalizer/parse_citation.h"
#include "normalizer/reporter_catalogue.h"
#include "normalizer/source_identifiers.h"

namespace Veltra::Penwork::Recognizer {
namespace {

struct PrefixAliasRow {
    std::string_view name;
    std::string_view replacement;
};

constexpr PrefixAliasRow kPrefixAliases[] = {
    {"frap", "frapproc"},
};
static_assert(IsStrictlyAscending(kPrefixAliases), "prefix aliases must stay sorted");

constexpr std::string_view kEscapedEmDash = "%u2014";
constexpr std::string_view kEmDashReplacement = " - ";

constexpr bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }
constexpr bool IsAlnum(char c) noexcept {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
constexpr char AsciiLower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
constexpr bool EndsFirstWord(char c) noexcept { return c == '\t' || c == ' ' || c == ':'; }
// Dropped while nothing has been kept: bytes below "!" as signed 8-bit values.
constexpr bool IsDroppedLead(char c) noexcept { return static_cast<signed char>(c) < '!'; }

// A candidate is refused when its first "*", "_" or "#" is not the "#" of a
// character reference ("&#").
bool IsRefused(const std::string& text) noexcept {
    // The first '*', '_' or '#' decides (a plain loop: find_first_of costs a
    // memchr per character).
    const std::size_t size = text.size();
    for (std::size_t at = 0; at < size; ++at) {
        const char c = text[at];
        if (c == '*' || c == '_') return true;
        if (c == '#') return !(at > 0 && text[at - 1] == '&');
    }
    return false;
}

}  // namespace

std::string_view PrefixAlias(std::string_view firstWord) noexcept {
    const PrefixAliasRow* row = FindRow(TableView<PrefixAliasRow>(kPrefixAliases), firstWord);
    return row ? row->replacement : std::string_view{};
}

namespace {

// The driver over any parse step: `parse(input, normalized, category, error)`.
template <class Parse>
bool Normalize(std::string& citation, std::string& category, const Parse& parse) {
    if (citation.size() > kMaxCandidateLength || IsRefused(citation)) return false;

    // Prepare in place: `start` is where the prepared text begins, `wordEnd`
    // where its first word ends (the index of the separator, if any).
    const std::size_t size = citation.size();
    std::size_t start = size;
    std::size_t wordEnd = std::string::npos;
    for (std::size_t i = 0; i < size; ++i) {
        char& c = citation[i];
        c = AsciiLower(c);
        if (start == size) {
            if (IsDroppedLead(c)) continue;
            start = i;
        }
        if (wordEnd == std::string::npos && EndsFirstWord(c)) wordEnd = i;
    }
    const bool wordEnded = wordEnd != std::string::npos;
    std::size_t wordLength = (wordEnded ? wordEnd : size) - start;
    const std::size_t preparedLength = size - start;

    std::string normalized;
    std::string error;

    if (wordLength >= 2 && preparedLength > 3) {
        const std::string_view word(citation.data() + start, wordLength);
        if (word == "dk") {
            // The document number follows "dk" and its separator.
            citation.erase(0, start + 3);
            return true;
        }
        if (word.substr(0, 2) == "wk" && IsSourceIdentifier(word.substr(2))) {
            // The whole input, lower-cased, leading bytes included.
            return true;
        }

        citation.erase(0, start);
        const std::string_view alias = PrefixAlias(std::string_view(citation.data(), wordLength));
        if (!alias.empty()) {
            citation.replace(0, wordLength, alias.data(), alias.size());
            wordLength = alias.size();
        }
        if (IsSourceIdentifier(std::string_view(citation.data(), wordLength))) {
            const std::size_t dash = citation.find(kEscapedEmDash.data(), 0, kEscapedEmDash.size());
            if (dash != std::string::npos) {
                citation.replace(dash, kEscapedEmDash.size(), kEmDashReplacement.data(),
                                 kEmDashReplacement.size());
            }
            if (wordEnded && IsCaseLawIdentifier(std::string_view(citation.data(), wordLength))) {
                const std::string rest = citation.substr(wordLength + 1);
                if (parse(rest, normalized, category, error)) {
                    citation.swap(normalized);
                    return true;
                }
            }
            CleanFallback(citation);
            return true;
        }
    } else {
        citation.erase(0, start);
    }

    if (parse(citation, normalized, category, error)) {
        citation.swap(normalized);
        return true;
    }
    CleanFallback(citation);
    return false;
}

// The words between the volume and the last word, or everything before the
// last word when the citation does not begin with a digit; empty when there
// are none.
std::string_view ReporterNameOf(std::string_view normalized) noexcept {
    const std::size_t firstBlank = normalized.find(' ');
    if (firstBlank == std::string_view::npos) return {};
    const std::size_t keyStart = IsDigit(normalized.front()) ? firstBlank + 1 : 0;
    const std::size_t lastBlank = normalized.rfind(' ');
    if (keyStart >= lastBlank) return {};
    return normalized.substr(keyStart, lastBlank - keyStart);
}

}  // namespace

bool NormalizeCitation(std::string& citation, std::string& category) {
    return NormalizeCitationWith(citation, category, &ParseCitation);
}

bool NormalizeCitation(std::string& citation, std::string& category, const ReporterCatalogue& catalogue) {
    return Normalize(citation, category,
                     [&catalogue](const std::string& input, std::string& normalized, std::string& named,
                                  std::string& error) {
                         return ParseCitation(input, normalized, named, error, catalogue);
                     });
}

bool NormalizeCitationWith(std::string& citation, std::string& category, ParseFunction parse) {
    return Normalize(citation, category, parse);
}

bool ReadBackParse(CitationRecord& record, bool treeReturned, unsigned syntaxErrors,
                   std::string& normalized, std::string& category, std::string& error,
                   const ReporterCatalogue* catalogue) {
    if (!treeReturned && syntaxErrors == 0) {
        syntaxErrors = 1;
        record.error = "Syntax error";
    }
    if (syntaxErrors > 0 || record.rejected) {
        error.swap(record.error);
        return false;
    }
    normalized.swap(record.text);
    if (!record.category.empty()) {
        category.swap(record.category);
    } else {
        const std::string_view byReporter =
            catalogue ? ClassifyByReporterName(normalized, *catalogue) : ClassifyByReporterName(normalized);
        category.assign(byReporter.data(), byReporter.size());
    }
    error.clear();
    return true;
}

std::string_view ClassifyByReporterName(std::string_view normalized) noexcept {
    const std::string_view name = ReporterNameOf(normalized);
    return name.empty() ? std::string_view{} : ReporterCategoryOf(name);
}

std::string_view ClassifyByReporterName(std::string_view normalized, const ReporterCatalogue& catalogue) noexcept {
    const std::string_view name = ReporterNameOf(normalized);
    return name.empty() ? std::string_view{} : catalogue.CategoryOf(name);
}

void CleanFallback(std::string& text) {
    // Without a section sign the result is never longer than the text at any
    // point of the walk (each blank written stands for a separator dropped
    // before it), so it is written over the text itself; with one it is built
    // in a new string.
    const bool growing = text.find('\xA7') != std::string::npos;
    std::string grown;
    if (growing) grown.reserve(text.size() + 8);
    std::size_t written = 0;
    auto put = [&](char c) {
        if (growing) {
            grown += c;
        } else {
            text[written++] = c;
        }
    };

    bool blankPending = false;
    const std::size_t size = text.size();
    for (std::size_t i = 0; i < size; ++i) {
        const char c = text[i];
        bool separator = false;
        switch (c) {
            case '\t': case ' ': case ',': case '/': case '\\': case '_': case '\xC2':
                separator = true;
                break;
            case '.':
                separator = !(i + 1 < size && IsAlnum(text[i + 1]));
                break;
            case '\'':
                continue;
            default:
                break;
        }
        if (c == '*') break;
        if (separator) {
            blankPending = true;
            continue;
        }
        if (blankPending) {
            put(' ');
            blankPending = false;
        }
        if (c == '\xA7') {
            put('s');
            put('c');
        } else {
            put(c);
        }
    }
    if (growing) {
        text.swap(grown);
    } else {
        text.resize(written);
    }
}

}  // namespace Veltra::Penwork::Recognizer
