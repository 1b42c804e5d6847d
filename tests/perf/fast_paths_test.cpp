// The fast paths must not change what is found or what it becomes:
//   - the citation candidate scanner (one class byte per code unit, the class
//     table filled a block at a time, atomic words) finds exactly the
//     matches of the candidate pattern run as written;
//   - ParseCitation, which keeps one parser per thread, answers exactly as a
//     parser made for the one parse does, whatever the parses before it.
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <boost/regex.hpp>
#include <gtest/gtest.h>

#include "fuzz/fuzz_input.h"
#include "glr/parser.h"
#include "normalizer/parse_citation.h"
#include "platform/codepage.h"
#include "recognizers/citation_recognizer.h"
#include "api/document.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::platform::OleString;

namespace {

typedef std::vector<std::pair<std::size_t, std::size_t>> Spans;  // (position, length) in code units

Spans Candidates(const OleString& text) {
    Spans spans;
    CitationCandidateScanner scanner(text.data(), text.size());
    std::size_t position, length;
    while (scanner.Next(position, length)) spans.emplace_back(position, length);
    return spans;
}

// The candidate pattern as written, matched the plain way over the text and
// one blank after it.
Spans PlainCandidates(const OleString& text) {
    static const boost::wregex pattern(
        L"(\\d+[ab]{0,1})\\s+(([.a-zA-Z]{0,4}([0-9])*[.a-zA-Z]{1,4}\\s+){1,5}\\s*)(\\d+)",
        boost::regex_constants::perl | boost::regex_constants::icase);
    std::wstring padded(text.begin(), text.end());
    padded += L' ';
    Spans spans;
    for (boost::wsregex_iterator it(padded.begin(), padded.end(), pattern), end; it != end; ++it)
        spans.emplace_back(std::size_t(it->position()), std::size_t(it->length()));
    return spans;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::vector<std::filesystem::path> FilesIn(const char* variable, const char* fallback) {
    const char* set = std::getenv(variable);
    const std::filesystem::path directory = set ? set : fallback;
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error))
        if (entry.is_regular_file()) files.push_back(entry.path());
    return files;
}

// Every code unit of one 256-unit block in each place the pattern asks about
// a character: the volume's digits and letter, the white space after it, a
// word's letters and digits, the white space before the page, the page.
std::vector<OleString> TextsOverBlock(unsigned block, std::size_t shapeCount = 8) {
    const OLECHAR* const shapes[] = {OLESTR("1@ F. 2 "),      OLESTR("4@5 So. 6 "),   OLESTR("9 A@ 10 "),         OLESTR("11 A.2@ 12 "),
                                      OLESTR("15 F.@@2d 16 "), OLESTR("17 U.S.@ 18 "), OLESTR("20 F. Supp.@@21 "), OLESTR("22 W. @23 ")};
    std::vector<OleString> texts;
    for (std::size_t k = 0; k < shapeCount && k < std::size(shapes); ++k) {
        const OLECHAR* shape = shapes[k];
        OleString text;
        for (unsigned low = 0; low < 256; ++low) {
            const OLECHAR unit = OLECHAR((block << 8) | low);
            for (const OLECHAR* c = shape; *c; ++c) text += *c == u'@' ? unit : *c;
        }
        texts.push_back(text);
    }
    return texts;
}

TEST(CandidateScannerTest, EveryCodeUnitIsReadAsThePatternReadsIt) {
    for (unsigned block = 0; block < 256; ++block)
        for (const OleString& text : TextsOverBlock(block))
            ASSERT_EQ(Candidates(text), PlainCandidates(text)) << "code units " << (block << 8) << " to "
                                                               << ((block << 8) | 255);
}

// Blocks of the class table filled by two threads at once, each starting at
// the other's end, read the same as the plain pattern.
TEST(CandidateScannerTest, BlocksFilledFromTwoThreadsAtOnce) {
    auto scan = [](bool upward, bool& same) {
        same = true;
        for (unsigned i = 0; i < 256 && same; ++i) {
            const unsigned block = upward ? i : 255 - i;
            for (const OleString& text : TextsOverBlock(block, 2))
                same = same && Candidates(text) == PlainCandidates(text);
        }
    };
    bool up = false, down = false;
    std::thread first(scan, true, std::ref(up)), second(scan, false, std::ref(down));
    first.join();
    second.join();
    EXPECT_TRUE(up);
    EXPECT_TRUE(down);
}

void ExpectSameMatchesIn(const std::vector<std::filesystem::path>& files, bool fuzzInput) {
    std::size_t paragraphs = 0, candidates = 0;
    for (const auto& file : files) {
        const std::string bytes = ReadFile(file);
        std::vector<OleString> texts;
        if (fuzzInput) {
            const auto units = smarttag::fuzz::DecodeText(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            texts.emplace_back(units.begin(), units.end());
        } else {
            // Paragraphs as smarttag-host cuts them.
            for (auto& paragraph : smarttag::api::SplitParagraphs(bytes)) texts.push_back(std::move(paragraph.text));
        }
        for (const OleString& text : texts) {
            const Spans found = Candidates(text);
            ASSERT_EQ(found, PlainCandidates(text)) << file << ": " << smarttag::platform::WideToUtf8(text);
            ++paragraphs;
            candidates += found.size();
        }
    }
    ::testing::Test::RecordProperty("paragraphs", int(paragraphs));
    ::testing::Test::RecordProperty("candidates", int(candidates));
}

TEST(CandidateScannerTest, SameMatchesAsThePatternOnCourtOpinions) {
    const auto files = FilesIn("SMARTTAG_TEST_CORPUS", SMARTTAG_CORPUS_DIR);
    if (files.empty()) GTEST_SKIP() << "no court opinions at " << SMARTTAG_CORPUS_DIR;
    ExpectSameMatchesIn(files, false);
}

TEST(CandidateScannerTest, SameMatchesAsThePatternOnTheFuzzCorpus) {
    const auto files = FilesIn("SMARTTAG_TEST_FUZZ_CORPUS", SMARTTAG_FUZZ_CORPUS_DIR);
    if (files.empty()) GTEST_SKIP() << "empty fuzz corpus at " << SMARTTAG_FUZZ_CORPUS_DIR;
    ExpectSameMatchesIn(files, true);
}

// The inputs of the golden cases, a few that fail in different ways, and a
// long one.
std::vector<std::string> ParseInputs() {
    std::vector<std::string> inputs;
    for (const auto& file : FilesIn("NORMALIZER_CASES_DIR", NORMALIZER_CASES_DIR)) {
        std::istringstream in(ReadFile(file));
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::string input = line.substr(0, line.find('\t'));
            for (char& c : input)
                if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
            const std::size_t start = input.find_first_not_of(' ');
            if (start != std::string::npos) inputs.push_back(input.substr(start));
        }
    }
    const std::vector<std::string> odd = {"", "410 u.s.", "410u.s.113", "12 and the 45", "410 us 113 113 113"};
    inputs.insert(inputs.begin() + std::ptrdiff_t(inputs.size() / 2), odd.begin(), odd.end());
    std::string longInput;
    for (int i = 0; i < 4000; ++i) longInput += "410 u.s. 113, ";
    inputs.insert(inputs.begin() + std::ptrdiff_t(inputs.size() / 3), longInput);
    return inputs;
}

struct Answer {
    bool ok;
    std::string normalized, category, error;
    bool operator==(const Answer& o) const {
        return ok == o.ok && normalized == o.normalized && category == o.category && error == o.error;
    }
};

Answer WithFreshParser(const std::string& input) {
    glr::Parser parser(CitationGrammarTables());
    Answer a{false, "", "", ""};
    a.ok = ParseCitationWith(parser, input, a.normalized, a.category, a.error);
    return a;
}

Answer WithKeptParser(const std::string& input) {
    Answer a{false, "", "", ""};
    a.ok = ParseCitation(input, a.normalized, a.category, a.error);
    return a;
}

TEST(KeptParserTest, AnswersAsAFreshParserWhateverCameBefore) {
    const std::vector<std::string> inputs = ParseInputs();
    ASSERT_GT(inputs.size(), 100u);
    std::vector<Answer> fresh;
    for (const std::string& input : inputs) fresh.push_back(WithFreshParser(input));
    for (int round = 0; round < 2; ++round)
        for (std::size_t i = 0; i < inputs.size(); ++i)
            ASSERT_EQ(WithKeptParser(inputs[i]), fresh[i]) << inputs[i].substr(0, 80);
}

TEST(KeptParserTest, EachThreadParsesOnItsOwn) {
    const std::vector<std::string> inputs = ParseInputs();
    std::vector<Answer> fresh;
    for (const std::string& input : inputs) fresh.push_back(WithFreshParser(input));
    auto run = [&](std::size_t offset, std::size_t& mismatches) {
        mismatches = 0;
        for (std::size_t k = 0; k < inputs.size(); ++k) {
            const std::size_t i = (k + offset) % inputs.size();
            mismatches += !(WithKeptParser(inputs[i]) == fresh[i]);
        }
    };
    std::size_t a = 1, b = 1;
    std::thread first(run, 0, std::ref(a)), second(run, inputs.size() / 2, std::ref(b));
    first.join();
    second.join();
    EXPECT_EQ(a, 0u);
    EXPECT_EQ(b, 0u);
}

}  // namespace
