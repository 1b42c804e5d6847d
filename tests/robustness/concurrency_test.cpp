// Once built, the recognizers (and the recognizer adaptor in front of them)
// may be asked to Recognize from two threads at once: each call works on its
// own copies, and the shared tables and compiled pattern are only read. These
// tests run the same texts on two threads and compare every tag with a run on
// one thread; in the ThreadSanitizer build (scripts/tsan.sh) they also show
// that no two calls touch the same memory unsynchronised.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <boost/make_shared.hpp>

#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "normalizer/normalize_citation.h"
#include "platform/codepage.h"
#include "platform/in_memory_site.h"
#include "recognizers/citation_recognizer.h"
#include "recognizers/security_recognizer.h"
#include "recognizers/transparency_recognizer.h"

namespace Veltra::Penwork::Recognizer {
namespace {

// Paragraphs of the example documents, plus a few texts that exercise every
// path of the citation recognizer.
std::vector<std::string> Paragraphs() {
    std::vector<std::string> paragraphs = {
        "See 410 U.S. 113 (1973); 346 F. Supp. 2d 628; 15 U.S.C. 78j; 12 Reporters 7.",
        "IBM US Equity",
        "VOD LN Equity SEDOL1",
        "dk 12345 and 999999 U.S. 1 and 1 u.s. 2",
    };
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(EXAMPLES_DIR, ec))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::string paragraph;
        for (std::string line; std::getline(in, line);) {
            if (line.find_first_not_of(" \t\r") == std::string::npos) {
                if (!paragraph.empty()) paragraphs.push_back(paragraph);
                paragraph.clear();
            } else {
                paragraph += (paragraph.empty() ? "" : " ") + line;
            }
        }
        if (!paragraph.empty()) paragraphs.push_back(paragraph);
    }
    return paragraphs;
}

struct Tag {
    std::string name;
    int start, length;
    std::string properties;
    bool operator==(const Tag& other) const {
        return name == other.name && start == other.start && length == other.length && properties == other.properties;
    }
};

std::string Utf8(const _bstr_t& text) {
    const OLECHAR* units = text;
    return smarttag::platform::WideToUtf8(units, units ? text.length() : 0);
}

std::vector<std::vector<Tag>> RecognizeAll(SmartTag2RecognizerAdaptorImpl& adaptor,
                                           const std::vector<std::string>& paragraphs) {
    std::vector<std::vector<Tag>> all;
    for (const std::string& paragraph : paragraphs) {
        auto site = smarttag::platform::InMemoryRecognizerSite::Create();
        const smarttag::platform::OleString wide = smarttag::platform::Utf8ToWide(paragraph);
        const _bstr_t text(wide.c_str());
        adaptor.Recognize2(text, IF_TYPE_PARA, 1033, site.Get(), nullptr, nullptr);
        std::vector<Tag> tags;
        for (const auto& commit : site->Commits()) {
            std::string properties;
            for (const auto& property : commit.properties)
                properties += Utf8(property.first) + "=" + Utf8(property.second) + ";";
            tags.push_back({Utf8(commit.name), commit.start, commit.length, properties});
        }
        all.push_back(tags);
    }
    return all;
}

TEST(Concurrency, TwoThreadsRecognizingThroughOneAdaptorSeeWhatOneThreadSees) {
    std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers = {
        RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation"))),
        RecognizerSecurityImpl::Ctor(_bstr_t(OLESTR("Security")),
                                     smarttag::host::VectorStringList::FromUtf8({"Equity", "Corp", "Index"})),
        RecognizerTransparencyImpl::Factory(_bstr_t(OLESTR("Transparency")))};
    auto log = boost::make_shared<smarttag::host::RecordingLogInfo>();
    auto adaptor = SmartTag2RecognizerAdaptorImpl::Ctor(
        recognizers, _bstr_t(OLESTR("urn:t#")), boost::make_shared<smarttag::host::FixedSettingReader>(true), log);

    const std::vector<std::string> paragraphs = Paragraphs();
    const auto expected = RecognizeAll(*adaptor, paragraphs);
    std::size_t tagCount = 0;
    for (const auto& tags : expected) tagCount += tags.size();
    ASSERT_GE(tagCount, 5u);  // the texts do reach the commit paths

    const int kRounds = 3;
    std::vector<std::vector<std::vector<Tag>>> seen(2);
    auto work = [&](int thread) {
        for (int round = 0; round < kRounds; ++round) {
            auto tags = RecognizeAll(*adaptor, paragraphs);
            if (round == 0 || tags != expected) seen[std::size_t(thread)] = tags;
        }
    };
    std::thread first(work, 0), second(work, 1);
    first.join();
    second.join();
    EXPECT_TRUE(seen[0] == expected);
    EXPECT_TRUE(seen[1] == expected);
    EXPECT_TRUE(log->messages.empty());
}

TEST(Concurrency, TwoThreadsNormalizingGiveTheSingleThreadAnswers) {
    std::vector<std::string> inputs;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(NORMALIZER_CASES_DIR, ec)) {
        if (entry.path().extension() != ".tsv") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            const auto tab = line.find('\t');
            if (tab != std::string::npos && line[0] != '#') inputs.push_back(line.substr(0, tab));
        }
    }
    ASSERT_FALSE(inputs.empty());
    struct Answer {
        bool ok;
        std::string citation, category;
        bool operator==(const Answer& o) const { return ok == o.ok && citation == o.citation && category == o.category; }
    };
    auto normalizeAll = [&] {
        std::vector<Answer> answers;
        for (const std::string& input : inputs) {
            Answer a{false, input, ""};
            a.ok = NormalizeCitation(a.citation, a.category);
            answers.push_back(a);
        }
        return answers;
    };
    const std::vector<Answer> expected = normalizeAll();
    std::vector<Answer> first, second;
    std::thread a([&] { first = normalizeAll(); }), b([&] { second = normalizeAll(); });
    a.join();
    b.join();
    EXPECT_TRUE(first == expected);
    EXPECT_TRUE(second == expected);
}

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
