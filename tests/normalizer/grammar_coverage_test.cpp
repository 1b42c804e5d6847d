// Which productions of the citation grammar the golden cases exercise. All
// golden inputs go through NormalizeCitation with one parser that counts, per
// production, how often it appears in a chosen tree. Every production and group
// alternative that no case reached is listed in the test's output; the test
// fails when one of the case-reporter family (reporters.g, states.g) is among
// them, unless it is in the short exclusion list below with its reason.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "glr/parser.h"
#include "normalizer/normalize_citation.h"
#include "normalizer/parse_citation.h"

namespace Veltra::Penwork::Recognizer {
namespace {

// Productions of the case-reporter family that no input can reach, by rule
// name and 1-based alternative (in grammar order, group alternatives under
// their generated "<rule>__groupN" name), each with the reading that always
// takes its span instead.
struct Exclusion {
    const char* rule;
    unsigned alternative;
    const char* reason;
};
const Exclusion kExclusions[] = {
    {"districtOfColumbia", 2,
     "\"cranch\" is read by the federal reporter's \"cranch\" usAny? (cranch us): its absent usAny? ends "
     "after the blank, and with no blank after it the two readings tie and the federal one is written first"},
};

glr::Parser* g_countingParser = nullptr;

bool CountingParse(const std::string& input, std::string& normalized, std::string& category, std::string& error) {
    return ParseCitationWith(*g_countingParser, input, normalized, category, error);
}

std::vector<std::string> GoldenInputs() {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(NORMALIZER_CASES_DIR)) {
        if (entry.path().extension() == ".tsv") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> inputs;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const std::size_t tab = line.find('\t');
            if (tab != std::string::npos) inputs.push_back(line.substr(0, tab));
        }
    }
    return inputs;
}

struct Production {
    std::string file;  // grammar file name, without directories
    std::string where;  // "file:line"
    std::string rule;
    unsigned alternative;  // 1-based among the rule's productions
    std::string text;       // "rule : rhs ..."
};

std::vector<Production> DescribeProductions(const glr::Parser& parser) {
    const glr::Tables& t = parser.tables();
    std::vector<Production> out;
    std::map<uint32_t, unsigned> seen;
    for (uint32_t p = 0; p < t.nproductions; ++p) {
        const glr::ProductionInfo& info = t.productions[p];
        Production d;
        d.where = info.where ? info.where : "";
        d.file = d.where.substr(0, d.where.rfind(':'));
        d.file = d.file.substr(d.file.find_last_of('/') + 1);
        d.where = d.file + d.where.substr(std::min(d.where.rfind(':'), d.where.size()));
        d.rule = std::string(parser.symbol_name(info.lhs));
        d.alternative = ++seen[info.lhs];
        d.text = d.rule + " :";
        for (uint32_t i = 0; i < info.length; ++i) {
            d.text += ' ';
            d.text += parser.symbol_name(t.rhs[info.rhs_first + i]);
        }
        out.push_back(std::move(d));
    }
    return out;
}

TEST(GrammarCoverage, GoldenCasesReachEveryCaseReporterProduction) {
    glr::Parser parser(CitationGrammarTables());
    parser.set_coverage(true);
    g_countingParser = &parser;
    for (const std::string& input : GoldenInputs()) {
        std::string citation = input;
        std::string category;
        NormalizeCitationWith(citation, category, &CountingParse);
    }
    g_countingParser = nullptr;

    std::set<std::pair<std::string, unsigned>> excluded;
    for (const Exclusion& e : kExclusions) excluded.emplace(e.rule, e.alternative);

    const std::vector<uint64_t>& counts = parser.coverage();
    const std::vector<Production> productions = DescribeProductions(parser);
    std::map<std::string, std::pair<unsigned, unsigned>> perFile;  // reached, total
    std::vector<const Production*> missingCaseReporter;
    std::set<std::pair<std::string, unsigned>> usedExclusions;
    std::cout << "Productions no golden case reaches:\n";
    for (std::size_t p = 1; p < productions.size(); ++p) {
        const Production& d = productions[p];
        auto& tally = perFile[d.file];
        ++tally.second;
        if (counts[p] > 0) {
            ++tally.first;
            continue;
        }
        std::cout << "  " << d.where << "  " << d.rule << " #" << d.alternative << "  " << d.text << '\n';
        if (d.file != "reporters.g" && d.file != "states.g") continue;
        if (excluded.count({d.rule, d.alternative})) {
            usedExclusions.emplace(d.rule, d.alternative);
        } else {
            missingCaseReporter.push_back(&d);
        }
    }
    for (const auto& [file, tally] : perFile) {
        std::cout << "  " << file << ": " << tally.first << " of " << tally.second << " productions reached\n";
    }

    std::string report;
    for (const Production* d : missingCaseReporter) {
        report += "\n  " + d->where + "  " + d->rule + " #" + std::to_string(d->alternative) + "  " + d->text;
    }
    EXPECT_TRUE(missingCaseReporter.empty()) << missingCaseReporter.size()
                                             << " case-reporter productions are not exercised:" << report;
    // An exclusion that a case now reaches is stale.
    for (const auto& key : excluded) {
        EXPECT_TRUE(usedExclusions.count(key)) << "exclusion " << key.first << " #" << key.second
                                               << " is reached by a golden case now";
    }
}

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
