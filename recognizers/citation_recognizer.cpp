#include "recognizers/citation_recognizer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include <boost/regex.hpp>

#include "normalizer/normalize_citation.h"
#include "normalizer/reporter_catalogue.h"
#include "platform/codepage.h"
#include "platform/debug_output.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

namespace {

const std::size_t kMaxCheckedWords = 10;

// How candidates are found.
//
// The candidate pattern reads: a volume (digits, perhaps one letter a or b),
// white space, one to five words of up to eight letters and periods with
// digits allowed inside ("U.S.", "F.", "Supp.", "2d"), then a page. Run as
// written, with backtracking, the pattern is slow on ordinary prose: every
// number followed by words is tried against every way of splitting each word
// between its two letter runs, and most numbers in an opinion (dates, counts,
// section numbers) end up failing after all of them were tried.
//
// The search here finds the same matches more cheaply:
//   - The pattern looks at each character only to ask which of five sets it
//     belongs to: the library's digit and white-space classes, and, without
//     regard to case, [ab], [.a-zA-Z] and [0-9]. So each UTF-16 code unit is
//     replaced by one byte standing for its combination of answers, looked
//     up in a table the library itself filled (each set matched against
//     every code unit once per process, a block at a time as texts need
//     it), and the pattern is rewritten over those bytes: one byte per code
//     unit keeps every offset, and a narrow pattern with explicit byte sets
//     is much quicker to match than a wide one that folds case on every
//     comparison.
//   - Each word, with the white space after it, is an atomic group. A word
//     cannot contain white space and must be followed by some, so any way of
//     matching it covers the same whole word; and whether the white space
//     after it is taken by the word or by the "\s*" before the page, the
//     match goes on from the same place. Trying the other splits can change
//     nothing, so they are not tried. The number of words still backs off
//     from five to one, which is what finds "12 F. 2" in "12 F. 2d (1990)".
//   - The groups do not capture; only the whole match is used.
//   - A match starts with a digit, so the search is started only at digits,
//     and only where white space follows the run of digits at once or after
//     the volume's letter, and then a first word: characters of the word
//     sets up to white space. When a search anchored at
//     the first digit of a run fails, one anchored later in the same run
//     fails too (the volume would only be shorter, with the same text after
//     it), so the rest of the run is skipped.
// The unit tests run this search and the pattern as written side by side.
namespace Sets {
enum : unsigned char { kDigit = 1, kSpace = 2, kVolumeLetter = 4, kLetter = 8, kWordDigit = 16, kAll = 31 };
}

// The byte that stands for a combination of sets. The bytes 0x40 to 0x5F
// are used for nothing else in the class text.
char ClassByte(unsigned char sets) { return char(0x40 + sets); }
unsigned char SetsOf(char byte) { return (unsigned char)(byte - 0x40) & Sets::kAll; }

// A bracket expression matching the bytes of every combination in `sets`.
std::string ByteSet(unsigned char set) {
    static const char hex[] = "0123456789ABCDEF";
    std::string expression = "[";
    for (unsigned char sets = 0; sets <= Sets::kAll; ++sets) {
        if (!(sets & set)) continue;
        const unsigned char byte = (unsigned char)ClassByte(sets);
        expression += "\\x{";
        expression += hex[byte >> 4];
        expression += hex[byte & 15];
        expression += "}";
    }
    return expression + "]";
}

// The five sets as the library reads them, the table that says for each
// UTF-16 code unit which of them it belongs to, and the pattern over class
// bytes; all built once and then only read (boost::basic_regex may be
// matched from several threads at once).
//
// Asking the library about all 65536 code units takes tens of milliseconds,
// which a process's first call would pay. So the table is filled in blocks
// of 256 code units, each the first time a text holds a code unit of it;
// almost every text stays within the first block or two. A filled block is
// published through an atomic pointer and never changes or goes away.
struct CandidatePattern {
    static const std::size_t kBlockBits = 8;
    static const std::size_t kBlockSize = std::size_t(1) << kBlockBits;
    static const std::size_t kBlocks = 0x10000 >> kBlockBits;

    std::vector<std::pair<boost::wregex, unsigned char>> sets;
    boost::regex pattern;
    mutable std::array<std::atomic<const char*>, kBlocks> blocks{};
    mutable std::array<std::unique_ptr<char[]>, kBlocks> owned;
    mutable std::mutex filling;

    CandidatePattern() {
        const std::pair<const wchar_t*, unsigned char> sources[] = {{L"\\d", Sets::kDigit},
                                                                     {L"\\s", Sets::kSpace},
                                                                     {L"[ab]", Sets::kVolumeLetter},
                                                                     {L"[.a-zA-Z]", Sets::kLetter},
                                                                     {L"[0-9]", Sets::kWordDigit}};
        for (const auto& set : sources)
            sets.emplace_back(boost::wregex(set.first, boost::regex_constants::perl | boost::regex_constants::icase),
                              set.second);
        Block(0);  // ASCII and Latin-1, which every text uses

        const std::string digit = ByteSet(Sets::kDigit), space = ByteSet(Sets::kSpace),
                          letter = ByteSet(Sets::kLetter);
        pattern.assign(digit + "+" + ByteSet(Sets::kVolumeLetter) + "?" + space + "+(?:(?>" + letter + "{0,4}" +
                           ByteSet(Sets::kWordDigit) + "*" + letter + "{1,4}" + space + "+)){1,5}" + space + "*" +
                           digit + "+",
                       boost::regex_constants::perl);
    }

    // The class bytes of the code units from index << kBlockBits on.
    const char* Block(std::size_t index) const {
        if (const char* block = blocks[index].load(std::memory_order_acquire)) return block;
        std::lock_guard<std::mutex> lock(filling);
        if (const char* block = blocks[index].load(std::memory_order_relaxed)) return block;
        std::unique_ptr<char[]> block(new char[kBlockSize]);
        for (std::size_t i = 0; i < kBlockSize; ++i) {
            const wchar_t unit = wchar_t((index << kBlockBits) | i);
            unsigned char found = 0;
            for (const auto& set : sets)
                if (boost::regex_match(&unit, &unit + 1, set.first)) found |= set.second;
            block[i] = ClassByte(found);
        }
        owned[index] = std::move(block);
        blocks[index].store(owned[index].get(), std::memory_order_release);
        return owned[index].get();
    }

    char ClassOf(OLECHAR unit) const {
        const std::size_t c = std::size_t(unit) & 0xFFFF;
        return Block(c >> kBlockBits)[c & (kBlockSize - 1)];
    }

    static const CandidatePattern& Get() {
        static const CandidatePattern compiled;
        return compiled;
    }
};

// The class bytes of the text, one per UTF-16 code unit, followed by the
// class byte of one blank.
std::string ClassText(const OLECHAR* chars, std::size_t n) {
    const CandidatePattern& compiled = CandidatePattern::Get();
    std::string text(n + 1, '\0');
    const char* ascii = compiled.Block(0);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t c = std::size_t(chars[i]) & 0xFFFF;
        text[i] = c < CandidatePattern::kBlockSize ? ascii[c] : compiled.ClassOf(chars[i]);
    }
    text[n] = ascii[std::size_t(u' ')];
    return text;
}

// The leading decimal number of `word` as formatted stream input reads an
// int: an optional sign, then digits up to the first other character ("12a"
// gives 12). False when there is no digit or the number does not fit.
bool LeadingInt(std::string_view word, std::int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-')) negative = word[i++] == '-';
    const std::size_t firstDigit = i;
    std::int64_t magnitude = 0;
    const std::int64_t limit = negative ? -std::int64_t(std::numeric_limits<std::int32_t>::min())
                                        : std::int64_t(std::numeric_limits<std::int32_t>::max());
    for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (word[i] - '0');
        if (magnitude > limit) return false;
    }
    if (i == firstDigit) return false;
    value = std::int32_t(negative ? -magnitude : magnitude);
    return true;
}

void Debug(const OLECHAR* line) { OutputDebugStringW(line); }

// Whether the code unit right after a candidate carries its page on: an ASCII
// letter or digit. The page pattern takes every digit it can, so in practice
// this is a letter ("3d", "78j").
bool ContinuesThePage(OLECHAR next) {
    return (next >= u'0' && next <= u'9') || (next >= u'a' && next <= u'z') || (next >= u'A' && next <= u'Z');
}

}  // namespace

CitationCandidateScanner::CitationCandidateScanner(const OLECHAR* chars, std::size_t length)
    : text(ClassText(chars, chars ? length : 0)) {}

bool CitationCandidateScanner::Next(std::size_t& position, std::size_t& length) {
    const CandidatePattern& compiled = CandidatePattern::Get();
    const std::size_t n = text.size();
    const auto is = [&](std::size_t i, unsigned char set) { return i < n && (SetsOf(text[i]) & set); };
    // Whether the number ending at `end` is followed, as the pattern needs,
    // by white space (at once or after the volume's letter) and then a run
    // of word characters that white space ends: the first word.
    const auto wordFollows = [&](std::size_t end) {
        if (!is(end, Sets::kSpace)) {
            if (!is(end, Sets::kVolumeLetter) || !is(end + 1, Sets::kSpace)) return false;
            ++end;
        }
        while (is(end, Sets::kSpace)) ++end;
        std::size_t wordEnd = end;
        while (is(wordEnd, Sets::kLetter | Sets::kWordDigit) && !is(wordEnd, Sets::kSpace)) ++wordEnd;
        return wordEnd > end && is(wordEnd, Sets::kSpace);
    };
    boost::match_results<std::string::const_iterator> match;
    while (at < n) {
        if (!is(at, Sets::kDigit)) {
            ++at;
            continue;
        }
        std::size_t runEnd = at;
        while (is(runEnd, Sets::kDigit)) ++runEnd;
        if (wordFollows(runEnd) && boost::regex_search(text.cbegin() + at, text.cend(), match, compiled.pattern,
                                          boost::match_continuous)) {
            // A match ends in a digit, so it never reaches the added blank.
            position = at;
            length = std::size_t(match.length());
            at += length;
            return true;
        }
        at = runEnd;
    }
    return false;
}

RecognizerCitationImpl::RecognizerCitationImpl(const _bstr_t& typeName, NormalizeFn normalize,
                                               std::shared_ptr<const ReporterCatalogue> catalogue)
    : typeName(typeName), normalize(std::move(normalize)), catalogue(std::move(catalogue)) {
    // The reporter catalogue is constant data and needs no building; the
    // pattern is compiled here so that a first Recognize does not pay for it
    // (the class table beyond its first block is filled as texts need it).
    CandidatePattern::Get();
}

RecognizerCitationImpl::~RecognizerCitationImpl() {}

boost::shared_ptr<RecognizerCitationImpl> RecognizerCitationImpl::WithNormalizer(
    const _bstr_t& typeName, NormalizeFn normalize, std::shared_ptr<const ReporterCatalogue> catalogue) {
    return boost::shared_ptr<RecognizerCitationImpl>(
        new RecognizerCitationImpl(typeName, std::move(normalize), std::move(catalogue)));
}

bool RecognizerCitationImpl::HasPlausibleVolume(const std::string& canonical) {
    return HasPlausibleVolume(canonical, nullptr);
}

bool RecognizerCitationImpl::HasPlausibleVolume(const std::string& canonical, const ReporterCatalogue* catalogue) {
    // The words are the runs between blanks; one more than the words checked
    // is enough to know the citation is too long to check.
    std::pair<std::size_t, std::size_t> words[kMaxCheckedWords + 1];  // (start, end)
    std::size_t count = 0;
    for (std::size_t i = 0; i < canonical.size();) {
        if (canonical[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < canonical.size() && canonical[i] != ' ') ++i;
        if (count == kMaxCheckedWords) return true;
        words[count++] = {start, i};
    }
    if (count == 0) return false;

    std::int32_t volume;
    if (!LeadingInt(std::string_view(canonical).substr(words[0].first, words[0].second - words[0].first), volume))
        return false;
    // The words between the first and the last, one blank apart: as they
    // stand when they already are, else joined afresh.
    std::string_view reporter;
    std::string joined;
    if (count > 2) {
        bool single = true;
        for (std::size_t k = 2; k + 1 < count; ++k) single = single && words[k].first == words[k - 1].second + 1;
        if (single) {
            reporter = std::string_view(canonical).substr(words[1].first, words[count - 2].second - words[1].first);
        } else {
            for (std::size_t k = 1; k + 1 < count; ++k) {
                if (k > 1) joined += ' ';
                joined.append(canonical, words[k].first, words[k].second - words[k].first);
            }
            reporter = joined;
        }
    }
    return catalogue ? catalogue->IsValidVolume(reporter, volume) : IsValidReporterVolume(reporter, volume);
}

bool RecognizerCitationImpl::Recognize(const _bstr_t& text, CommitTagFn commit) {
    const OLECHAR* chars = text;
    const std::size_t n = chars ? text.length() : 0;
    const _bstr_t citationKey(OLESTR("Citation"));

    int committed = 0;
    CitationCandidateScanner candidates(chars, n);
    std::size_t position, length;
    while (candidates.Next(position, length)) {
        std::string candidate = smarttag::platform::WideToAnsi(chars + position, length);
        std::string category;
        if (!normalize(candidate, category)) {
            Debug(OLESTR("Not a valid cite. Not recognized by cnormalizer.\n"));
            continue;
        }
        // A statute or regulation reference is no reason to stop looking:
        // the case citations after it in the same text still count.
        if (!IsAcceptedCategory(category)) {
            Debug(OLESTR("Not a citation category the recognizer tags.\n"));
            continue;
        }
        if (!HasPlausibleVolume(candidate, catalogue.get())) {
            Debug(OLESTR("Not a valid volume for this reporter.\n"));
            continue;
        }
        if (position + length < n && ContinuesThePage(chars[position + length])) {
            Debug(OLESTR("The page runs on into a longer word; not tagged.\n"));
            continue;
        }

        const smarttag::platform::OleString canonical = smarttag::platform::AnsiToWide(candidate);
        TagPropertyMap properties;
        properties[citationKey] = _bstr_t(canonical.c_str());
        commit(citationKey, int(position + 1), int(length), properties);
        ++committed;
        Debug(OLESTR("Yes we have a valid cite.\n"));
    }
    return committed > 0;
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
