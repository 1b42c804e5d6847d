// corpus_bench: end-to-end speed of tagging real documents.
//
//   corpus_bench [--passes N] [--candidates OUT] FILE...
//   corpus_bench --first-call
//
// Every paragraph of every file (text between blank lines, line breaks
// turned into blanks, exactly as smarttag-host cuts them) goes to Recognize2
// on a recognizer adaptor wired as smarttag-host wires it: the citation,
// security and transparency recognizers behind the adaptor, an in-memory
// recognizer site per paragraph. The program prints:
//
//   - characters (UTF-16 code units) per second over all paragraphs, the
//     median of N passes in this thread's processor time, and the median and
//     99th-percentile time per paragraph (one more pass, on the wall clock
//     and in processor time);
//   - candidates found, normalizations accepted, tags committed;
//   - the split of the (processor) time between the candidate search alone, the
//     normalizer alone (on the candidates the search found), and the rest
//     (adaptor, site, conversions, catalogue checks, other recognizers),
//     the rest split further by timing each recognizer alone;
//   - peak resident memory before the documents are read and at the end;
//   - the C++ interface's FindCitations over the same documents (whole, as
//     read), beside the adaptor path in passes taken in turn, and how much
//     more time it takes: against the adaptor given the same UTF-8 documents
//     (checked, cut and converted as the interface does it) and against the
//     adaptor given the paragraphs already cut and converted. That adaptor is
//     wired as the Tagger wires it, so all three find the same citations.
//
// --candidates OUT writes every candidate once, one per line, as the 8-bit
// text the recognizer hands the normalizer; normalizer_bench reads such a
// file (SMARTTAG_BENCH_CANDIDATES).
//
// --first-call measures a fresh process: building the recognizers and the
// adaptor, then the first Recognize2 on a short paragraph with one citation,
// tables included. Run it as its own process to see the cold cost.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include <boost/make_shared.hpp>

#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "normalizer/normalize_citation.h"
#include "normalizer/reporter_catalogue.h"
#include "platform/codepage.h"
#include "platform/in_memory_site.h"
#include "recognizers/citation_recognizer.h"
#include "recognizers/security_recognizer.h"
#include "recognizers/transparency_recognizer.h"
#include "api/catalogue.h"
#include "api/document.h"
#include "api/wiring.h"
#include "smarttag/smarttag.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::platform::OleString;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Processor time of this thread: on a shared machine it counts only the work
// done here, not the time other processes held the core.
double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Peak resident set size of this process so far, in KiB.
long PeakRssKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Current resident set size in KiB (from /proc; 0 where there is none).
long CurrentRssKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

_bstr_t Wide(const char* text) { return _bstr_t(smarttag::platform::Utf8ToWide(text).c_str()); }

// The recognizer adaptor as smarttag-host builds it by default.
boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> BuildAdaptor() {
    auto journal = std::make_shared<smarttag::host::Journal>();
    std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers;
    recognizers.push_back(RecognizerCitationImpl::Ctor(Wide("Citation")));
    recognizers.push_back(RecognizerSecurityImpl::Ctor(
        Wide("Security"),
        smarttag::host::VectorStringList::FromUtf8({"Equity", "Corp", "Bond", "Fund", "Index", "Currency", "Commodity"})));
    recognizers.push_back(RecognizerTransparencyImpl::Factory(Wide("Transparency")));
    auto adaptor = SmartTag2RecognizerAdaptorImpl::Ctor(
        recognizers, Wide("urn:veltra:smarttags#"), boost::make_shared<smarttag::host::FixedSettingReader>(true),
        boost::make_shared<smarttag::host::RecordingLogInfo>(journal));
    adaptor->SmartTagInitialize(nullptr);
    return adaptor;
}

// The recognizer adaptor as smarttag::Tagger builds it with the default
// options (and smarttag-host by default): the bundled catalogue update over
// the citation recognizer, so both find the same tags.
boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> BuildAdaptorAsTagger() {
    auto adaptor = SmartTag2RecognizerAdaptorImpl::Ctor(
        smarttag::api::StandardRecognizers(smarttag::Options::DefaultSectors(),
                                           smarttag::api::CitationRecognizerFor(std::string())),
        Wide("urn:veltra:smarttags#"), boost::make_shared<smarttag::api::AlwaysEnabled>(),
        boost::make_shared<smarttag::api::DiscardingLog>());
    adaptor->SmartTagInitialize(nullptr);
    return adaptor;
}

const _bstr_t& ApplicationName() {
    static const _bstr_t name(OLESTR("smarttag-host"));
    return name;
}

// Recognize2 on one paragraph; returns the number of tags committed (of
// those, the citations in `citations` when given).
std::size_t RecognizeParagraph(ISmartTagRecognizer2Impl& adaptor, const _bstr_t& text,
                               std::size_t* citations = nullptr) {
    auto site = smarttag::platform::InMemoryRecognizerSite::Create();
    adaptor.Recognize2(text, IF_TYPE_PARA, 1033, site.Get(), ApplicationName(), nullptr);
    if (citations) {
        static const _bstr_t citation(OLESTR("urn:veltra:smarttags#Citation"));
        for (const auto& commit : site->Commits()) *citations += commit.name == citation;
    }
    return site->Commits().size();
}

int FirstCall() {
    const Clock::time_point start = Clock::now();
    const auto adaptor = BuildAdaptor();
    const Clock::time_point built = Clock::now();
    const _bstr_t text(OLESTR("See Roe v. Wade, 410 U.S. 113 (1973)."));
    const std::size_t tags = RecognizeParagraph(*adaptor, text);
    const Clock::time_point done = Clock::now();
    const _bstr_t second(OLESTR("Brown v. Board of Education, 347 U.S. 483 (1954)."));
    const std::size_t tags2 = RecognizeParagraph(*adaptor, second);
    const Clock::time_point again = Clock::now();
    std::printf("construction     %.3f ms\n", Seconds(built - start) * 1e3);
    std::printf("first Recognize2 %.3f ms (%zu tag)\n", Seconds(done - built) * 1e3, tags);
    std::printf("first call total %.3f ms\n", Seconds(done - start) * 1e3);
    std::printf("second Recognize2 %.3f ms (%zu tag)\n", Seconds(again - done) * 1e3, tags2);
    return tags == 1 && tags2 == 1 ? 0 : 1;
}

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    std::size_t index = std::size_t(p * double(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv) {
    int passes = 5;
    std::string candidatesOut;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--first-call") return FirstCall();
        if (arg == "--passes" && i + 1 < argc) {
            passes = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--candidates" && i + 1 < argc) {
            candidatesOut = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            std::cerr << "usage: corpus_bench [--passes N] [--candidates OUT] FILE...\n"
                         "       corpus_bench --first-call\n";
            return 2;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::cerr << "corpus_bench: no input files\n";
        return 2;
    }

    const auto adaptor = BuildAdaptor();
    const long baselineRss = CurrentRssKiB();
    const long baselinePeak = PeakRssKiB();

    std::vector<OleString> paragraphs;
    std::vector<std::string> documents;
    std::size_t bytes = 0;
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << "corpus_bench: cannot read " << file << '\n';
            return 1;
        }
        std::ostringstream buffer;
        buffer << in.rdbuf();
        std::string document = buffer.str();
        documents.push_back(document);
        if (document.rfind("\xEF\xBB\xBF", 0) == 0) document.erase(0, 3);
        bytes += document.size();
        for (auto& paragraph : smarttag::api::SplitParagraphs(document)) paragraphs.push_back(std::move(paragraph.text));
    }
    std::vector<_bstr_t> texts;
    std::size_t chars = 0;
    for (const OleString& p : paragraphs) {
        texts.emplace_back(p.c_str());
        chars += p.size();
    }

    // End to end: N passes timed whole in processor time, then one pass
    // timing each paragraph on the wall clock.
    std::vector<double> passSeconds;
    std::size_t tags = 0;
    for (int pass = 0; pass < passes; ++pass) {
        std::size_t passTags = 0;
        const double start = CpuSeconds();
        for (const _bstr_t& text : texts) passTags += RecognizeParagraph(*adaptor, text);
        passSeconds.push_back(CpuSeconds() - start);
        tags = passTags;
    }
    const double total = Median(passSeconds);
    std::vector<double> times, cpuTimes;
    times.reserve(texts.size());
    cpuTimes.reserve(texts.size());
    for (const _bstr_t& text : texts) {
        const Clock::time_point before = Clock::now();
        const double cpuBefore = CpuSeconds();
        RecognizeParagraph(*adaptor, text);
        cpuTimes.push_back(CpuSeconds() - cpuBefore);
        times.push_back(Seconds(Clock::now() - before));
    }

    // The candidate search alone.
    std::vector<std::string> candidates;
    std::vector<double> searchSeconds;
    for (int pass = 0; pass < passes; ++pass) {
        candidates.clear();
        const double start = CpuSeconds();
        for (const _bstr_t& text : texts) {
            const OLECHAR* p = text;
            CitationCandidateScanner scanner(p, text.length());
            std::size_t position, length;
            while (scanner.Next(position, length))
                candidates.push_back(smarttag::platform::WideToAnsi(p + position, length));
        }
        searchSeconds.push_back(CpuSeconds() - start);
    }

    // The normalizer alone on those candidates.
    std::vector<double> normalizeSeconds;
    std::size_t accepted = 0, tagged = 0;
    for (int pass = 0; pass < passes; ++pass) {
        accepted = tagged = 0;
        std::string citation, category;
        const double start = CpuSeconds();
        for (const std::string& candidate : candidates) {
            citation = candidate;
            category.clear();
            if (NormalizeCitation(citation, category)) {
                ++accepted;
                tagged += IsAcceptedCategory(category);
            }
        }
        normalizeSeconds.push_back(CpuSeconds() - start);
    }

    // Each recognizer alone, called as the adaptor calls it, committing
    // nowhere: what is left of the rest after them is the adaptor and site.
    auto timeAlone = [&](IRecognizerImpl& recognizer) {
        CommitTagFn ignore = [](const _bstr_t&, int, int, TagPropertyMap&) {};
        std::vector<double> seconds;
        for (int pass = 0; pass < passes; ++pass) {
            const double start = CpuSeconds();
            for (const _bstr_t& text : texts) recognizer.Recognize(_bstr_t(text, true), ignore);
            seconds.push_back(CpuSeconds() - start);
        }
        return Median(seconds);
    };
    const double citationAlone = timeAlone(*RecognizerCitationImpl::Ctor(Wide("Citation")));
    const double securityAlone = timeAlone(*RecognizerSecurityImpl::Ctor(
        Wide("Security"), smarttag::host::VectorStringList::FromUtf8(
                              {"Equity", "Corp", "Bond", "Fund", "Index", "Currency", "Commodity"})));

    if (!candidatesOut.empty()) {
        std::ofstream out(candidatesOut, std::ios::binary);
        for (const std::string& candidate : candidates) out << candidate << '\n';
        if (!out) {
            std::cerr << "corpus_bench: cannot write " << candidatesOut << '\n';
            return 1;
        }
    }

    // The C++ interface against the adaptor path, pass for pass, the three
    // taking turns in a rotating order. The adaptor is wired as the Tagger
    // wires it and runs twice: on the paragraphs cut and converted
    // beforehand, and from the same UTF-8 documents the Tagger is given,
    // doing what the Tagger does before the adaptor sees a paragraph: the
    // document checked, cut into paragraphs, each converted to UTF-16.
    const smarttag::Tagger tagger;
    const auto asTagger = BuildAdaptorAsTagger();
    std::vector<double> facadeSeconds, adaptorSeconds, adaptorFromTextSeconds;
    std::size_t facadeCitations = 0, adaptorCitations = 0, adaptorFromTextCitations = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (int turn = 0; turn < 3; ++turn) {
            const int which = (pass + turn) % 3;
            std::size_t found = 0;
            const double start = CpuSeconds();
            if (which == 0) {
                for (const _bstr_t& text : texts) RecognizeParagraph(*asTagger, text, &found);
                adaptorSeconds.push_back(CpuSeconds() - start);
                adaptorCitations = found;
            } else if (which == 1) {
                smarttag::api::Paragraph paragraph;
                for (const std::string& document : documents) {
                    if (!smarttag::api::DocumentProblem(document).empty()) continue;
                    smarttag::api::ParagraphCutter cutter(document);
                    while (cutter.Next(paragraph))
                        RecognizeParagraph(
                            *asTagger,
                            _bstr_t(SysAllocStringLen(paragraph.text.data(), UINT(paragraph.text.size())), false),
                            &found);
                }
                adaptorFromTextSeconds.push_back(CpuSeconds() - start);
                adaptorFromTextCitations = found;
            } else {
                for (const std::string& document : documents) found += tagger.FindCitations(document).size();
                facadeSeconds.push_back(CpuSeconds() - start);
                facadeCitations = found;
            }
        }
    }
    const double facade = Median(facadeSeconds), adaptorPath = Median(adaptorSeconds),
                 adaptorFromText = Median(adaptorFromTextSeconds);

    const double search = Median(searchSeconds), normalize = Median(normalizeSeconds);
    std::printf("files              %zu (%zu bytes)\n", files.size(), bytes);
    std::printf("paragraphs         %zu\n", texts.size());
    std::printf("characters         %zu (UTF-16 code units)\n", chars);
    std::printf("passes             %d (medians of processor time)\n", passes);
    std::printf("end to end         %.3f ms, %.2f M chars/s\n", total * 1e3, double(chars) / total / 1e6);
    std::printf("per paragraph      median %.2f us, p99 %.2f us, max %.2f us (wall clock, one pass)\n", Median(times) * 1e6,
                Percentile(times, 0.99) * 1e6, *std::max_element(times.begin(), times.end()) * 1e6);
    std::printf("                   median %.2f us, p99 %.2f us, max %.2f us (processor time, same pass)\n",
                Median(cpuTimes) * 1e6, Percentile(cpuTimes, 0.99) * 1e6,
                *std::max_element(cpuTimes.begin(), cpuTimes.end()) * 1e6);
    std::printf("candidates         %zu\n", candidates.size());
    std::printf("normalizations     %zu accepted of %zu (%zu in a tagged category)\n", accepted, candidates.size(),
                tagged);
    std::printf("tags committed     %zu\n", tags);
    std::printf("candidate search   %.3f ms (%.1f%%)\n", search * 1e3, 100 * search / total);
    std::printf("normalizer         %.3f ms (%.1f%%), %.2f us per candidate\n", normalize * 1e3,
                100 * normalize / total, candidates.empty() ? 0 : normalize / double(candidates.size()) * 1e6);
    std::printf("rest               %.3f ms (%.1f%%)\n", (total - search - normalize) * 1e3,
                100 * (total - search - normalize) / total);
    std::printf("  of which        citation recognizer's own steps %.3f ms (%.1f%%), security recognizer %.3f ms "
                "(%.1f%%), adaptor and site %.3f ms (%.1f%%)\n",
                (citationAlone - search - normalize) * 1e3, 100 * (citationAlone - search - normalize) / total,
                securityAlone * 1e3, 100 * securityAlone / total, (total - citationAlone - securityAlone) * 1e3,
                100 * (total - citationAlone - securityAlone) / total);
    std::printf("FindCitations      %.3f ms, %.2f M chars/s (%zu citations)\n", facade * 1e3,
                double(chars) / facade / 1e6, facadeCitations);
    std::printf("  adaptor, same UTF-8 documents  %.3f ms, %.2f M chars/s (%zu citations): FindCitations %+.1f%%\n",
                adaptorFromText * 1e3, double(chars) / adaptorFromText / 1e6, adaptorFromTextCitations,
                100 * (facade / adaptorFromText - 1));
    std::printf("  adaptor, pre-cut paragraphs    %.3f ms, %.2f M chars/s (%zu citations): FindCitations %+.1f%%\n",
                adaptorPath * 1e3, double(chars) / adaptorPath / 1e6, adaptorCitations,
                100 * (facade / adaptorPath - 1));
    std::printf("resident memory    %ld KiB after set-up, peak %ld KiB at set-up, peak %ld KiB at the end\n",
                baselineRss, baselinePeak, PeakRssKiB());
    return 0;
}
