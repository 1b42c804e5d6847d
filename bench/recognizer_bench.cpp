// Throughput of the citation recognizer over legal text, and where its time
// goes. Each text set is cut into paragraphs the way the host program hands
// them to Office's Recognize (text between blank lines, line breaks turned
// into blanks) and run through:
//
//   Recognize     the recognizer as the adaptor calls it, with the real
//                 normalizer: MB of text per second and tags per second;
//   Candidates    only the search for candidates;
//   Normalize     only the normalizer and the two catalogue checks, on the
//                 candidates that search finds (throughput still counted per
//                 byte of the text they came from, so the rates add up);
//   PlainPattern  the candidate pattern run the plain way, with backtracking
//                 into every word, for comparison.
//
// Text sets:
//   examples   examples/*.txt repeated to about 1 MB;
//   mix        a synthetic mix of prose paragraphs: case citations, statute
//              and regulation references, dates, amounts and section numbers;
//   corpus     every *.txt in the directory named by SMARTTAG_BENCH_CORPUS
//              (for example a folder of court opinions), when it is set.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "normalizer/normalize_citation.h"
#include "normalizer/reporter_catalogue.h"
#include "platform/codepage.h"
#include "recognizers/citation_recognizer.h"
#include "api/document.h"

namespace {

using namespace Veltra::Penwork::Recognizer;
using smarttag::platform::OleString;

struct TextSet {
    std::vector<_bstr_t> paragraphs;
    std::size_t bytes = 0;  // UTF-8 bytes of the paragraphs
};

// The document's paragraphs as smarttag-host cuts them.
void AddDocument(TextSet& set, const std::string& document) {
    for (const auto& paragraph : smarttag::api::SplitParagraphs(document)) {
        set.bytes += smarttag::platform::WideToUtf8(paragraph.text).size();
        set.paragraphs.emplace_back(paragraph.text.c_str());
    }
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::vector<std::filesystem::path> TextFiles(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TextSet Examples() {
    TextSet set;
    const auto files = TextFiles(std::filesystem::path(SMARTTAG_SOURCE_DIR) / "examples");
    std::string all;
    for (const auto& file : files) all += ReadFile(file) + "\n\n";
    if (all.empty()) return set;
    while (set.bytes < 1000000) AddDocument(set, all);
    return set;
}

TextSet Mix() {
    static const char* const citations[] = {
        "410 U.S. 113", "228 F.3d 154", "346 F. Supp. 2d 628", "174 Ill. 2d 482", "342 Ill. App. 3d 467",
        "835 N.E.2d 801", "30 Cal. 4th 167", "65 P.3d 1255", "89 N.Y.2d 257", "722 A.2d 5", "164 L. Ed. 2d 179",
        "126 S. Ct. 1503", "547 U.S. 633", "400 B.R. 12", "99 T.C. 12", "2009 NY Slip Op 12"};
    static const char* const references[] = {"15 U.S.C. 78j(b)", "17 C.F.R. 240.10b-5", "42 U.S.C. § 1983",
                                             "735 ILCS 5/2-615", "28 U.S.C. 1331", "Pub. L. No. 111-203"};
    static const char* const filler[] = {
        "The court held that the complaint failed to state a claim.",
        "Plaintiff filed the action on March 3, 2009, seeking $4,500,000 in damages.",
        "In 1997 the company issued 12 million shares at $18 per share.",
        "The trial lasted 14 days and 23 witnesses testified.",
        "We review the dismissal de novo, accepting the well-pleaded facts as true.",
        "Section 4 of the agreement required notice within 30 days of any claim.",
        "The jury returned its verdict after deliberating for 2 hours on the second day."};
    std::mt19937 random(7);
    TextSet set;
    std::string document;
    while (document.size() < 1000000) {
        std::string paragraph;
        for (int sentence = 0; sentence < 6; ++sentence) {
            switch (random() % 5) {
            case 0:
                paragraph += std::string("See Doe v. Roe, ") + citations[random() % 16] + ", " +
                             std::to_string(100 + random() % 900) + " (" + std::to_string(1950 + random() % 70) + "). ";
                break;
            case 1:
                paragraph += std::string("The claim arises under ") + references[random() % 6] + ". ";
                break;
            default:
                paragraph += std::string(filler[random() % 7]) + " ";
            }
        }
        document += paragraph + "\n\n";
    }
    AddDocument(set, document);
    return set;
}

TextSet Corpus() {
    TextSet set;
    const char* directory = std::getenv("SMARTTAG_BENCH_CORPUS");
    if (!directory) return set;
    for (const auto& file : TextFiles(directory)) AddDocument(set, ReadFile(file));
    return set;
}

void Report(benchmark::State& state, const TextSet& set, double tagsPerPass) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(set.bytes));
    state.counters["tags"] = benchmark::Counter(tagsPerPass * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["paragraphs"] = double(set.paragraphs.size());
}

void Recognize(benchmark::State& state, const TextSet* set) {
    auto recognizer = RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")));
    long tags = 0;
    const CommitTagFn commit = [&tags](const _bstr_t&, int, int, TagPropertyMap&) { ++tags; };
    for (auto _ : state)
        for (const _bstr_t& paragraph : set->paragraphs)
            benchmark::DoNotOptimize(recognizer->Recognize(paragraph, commit));
    Report(state, *set, double(tags) / double(state.iterations()));
}

void Candidates(benchmark::State& state, const TextSet* set) {
    long found = 0;
    for (auto _ : state) {
        for (const _bstr_t& paragraph : set->paragraphs) {
            CitationCandidateScanner scanner(paragraph, paragraph.length());
            std::size_t position, length;
            while (scanner.Next(position, length)) ++found;
        }
    }
    Report(state, *set, 0);
    state.counters["candidates"] = double(found) / double(state.iterations());
}

void Normalize(benchmark::State& state, const TextSet* set) {
    std::vector<std::string> candidates;
    for (const _bstr_t& paragraph : set->paragraphs) {
        const OLECHAR* text = paragraph;
        CitationCandidateScanner scanner(text, paragraph.length());
        std::size_t position, length;
        while (scanner.Next(position, length))
            candidates.push_back(smarttag::platform::WideToAnsi(text + position, length));
    }
    long tags = 0;
    for (auto _ : state) {
        for (const std::string& text : candidates) {
            std::string candidate = text, category;
            if (NormalizeCitation(candidate, category) && IsAcceptedCategory(category) &&
                RecognizerCitationImpl::HasPlausibleVolume(candidate))
                ++tags;
        }
    }
    Report(state, *set, double(tags) / double(state.iterations()));
    state.counters["candidates"] = double(candidates.size());
}

void PlainPattern(benchmark::State& state, const TextSet* set) {
    const boost::wregex pattern(L"(\\d+[ab]{0,1})\\s+(([.a-zA-Z]{0,4}([0-9])*[.a-zA-Z]{1,4}\\s+){1,5}\\s*)(\\d+)",
                                boost::regex_constants::perl | boost::regex_constants::icase);
    std::vector<std::wstring> texts;
    for (const _bstr_t& paragraph : set->paragraphs) {
        const OLECHAR* p = paragraph;
        texts.emplace_back(p, p + paragraph.length());
        texts.back() += L' ';
    }
    for (auto _ : state)
        for (const std::wstring& text : texts)
            for (boost::wsregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
                benchmark::DoNotOptimize(it->position());
    Report(state, *set, 0);
}

}  // namespace

int main(int argc, char** argv) {
    static const TextSet examples = Examples(), mix = Mix(), corpus = Corpus();
    const std::pair<const char*, const TextSet*> sets[] = {
        {"examples", &examples}, {"mix", &mix}, {"corpus", &corpus}};
    for (const auto& set : sets) {
        if (set.second->paragraphs.empty()) continue;
        const std::string name = set.first;
        const std::pair<const char*, void (*)(benchmark::State&, const TextSet*)> runs[] = {
            {"Recognize/", Recognize}, {"Candidates/", Candidates}, {"Normalize/", Normalize},
            {"PlainPattern/", PlainPattern}};
        for (const auto& run : runs)
            benchmark::RegisterBenchmark((run.first + name).c_str(), run.second, set.second)
                ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
