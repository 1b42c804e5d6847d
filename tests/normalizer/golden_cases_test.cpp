// Golden cases for NormalizeCitation, read from cases/*.tsv. Each line that is
// not blank and not a comment ("#" at the start of a line without a tab) holds
// four tab-separated fields: the candidate, the expected result ("true" or
// "false"), the expected citation output and the expected category output. The
// candidate is normalized exactly as the citation recognizer does it, starting
// from an empty category. Every line is a test of its own, named after its file
// and line number.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "normalizer/normalize_citation.h"

namespace Veltra::Penwork::Recognizer {
namespace {

struct GoldenCase {
    std::string where;  // "<file stem>_<line>", usable as a test name
    std::string input;
    bool result = false;
    std::string citation;
    std::string category;
};

void PrintTo(const GoldenCase& c, std::ostream* os) { *os << '"' << c.input << '"'; }

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab - from));
        if (tab == std::string::npos) return fields;
        from = tab + 1;
    }
}

std::vector<GoldenCase> LoadCases() {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(NORMALIZER_CASES_DIR)) {
        if (entry.path().extension() == ".tsv") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());

    std::vector<GoldenCase> cases;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string line;
        for (int number = 1; std::getline(in, line); ++number) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.find('\t') == std::string::npos) {
                // Blank lines and comments; a stray line without fields is a
                // mistake in the file and is reported as a failing case.
                if (line.empty() || line[0] == '#') continue;
            }
            GoldenCase c;
            c.where = file.stem().string() + "_" + std::to_string(number);
            std::vector<std::string> fields = SplitTabs(line);
            fields.resize(std::max<std::size_t>(fields.size(), 4));
            c.input = fields[0];
            c.result = fields[1] == "true";
            c.citation = fields[2];
            c.category = fields[3];
            if (fields.size() != 4 || (fields[1] != "true" && fields[1] != "false")) {
                c.where += "_malformed";
            }
            cases.push_back(std::move(c));
        }
    }
    return cases;
}

class GoldenCases : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenCases, Normalize) {
    const GoldenCase& c = GetParam();
    ASSERT_EQ(c.where.find("_malformed"), std::string::npos) << "line is not four tab-separated fields";
    std::string citation = c.input;
    std::string category;
    const bool result = NormalizeCitation(citation, category);
    EXPECT_EQ(result, c.result) << "input: " << c.input;
    EXPECT_EQ(citation, c.citation) << "input: " << c.input;
    EXPECT_EQ(category, c.category) << "input: " << c.input;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenCases, ::testing::ValuesIn(LoadCases()),
                         [](const ::testing::TestParamInfo<GoldenCase>& info) {
                             std::string name = info.param.where;
                             for (char& ch : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return name;
                         });

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
