// The C++ interface called from several threads at once, the way the Python
// module calls it with the GIL released: the free functions (whose default
// Tagger is built by whichever call comes first), a Tagger shared by all
// threads, Taggers built per call for other sectors, and Normalize. Every
// answer must equal a run on one thread; in the ThreadSanitizer build
// (scripts/tsan.sh) no two calls may touch the same memory unsynchronised.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "smarttag/smarttag.h"

namespace {

std::vector<std::string> Documents() {
    std::vector<std::string> documents = {
        "See Roe, 410 U.S. 113 (1973), and \xF0\x9F\x99\x82 IBM US Equity",
        "Caf\xC3\xA9\r\n\r\nBrown, 347\r\nU.S. 483 (1954).\r\n\r\nUS 912828ZT0 Govt\r\n",
    };
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(EXAMPLES_DIR))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        documents.push_back(text.str());
    }
    return documents;
}

// Everything the calls answered for the documents, as one comparable text.
std::string Answers(const smarttag::Tagger& shared, const std::vector<std::string>& documents) {
    std::ostringstream out;
    for (const std::string& document : documents) {
        for (const smarttag::Citation& c : smarttag::FindCitations(document))
            out << "C " << c.span.byteStart << ' ' << c.span.charLength << ' ' << c.canonical << ' ' << c.category
                << '\n';
        for (const smarttag::Security& s : smarttag::FindSecurities(document))
            out << "S " << s.span.charStart << ' ' << s.security << '\n';
        for (const smarttag::Security& s : smarttag::FindSecurities(document, {"Equity", "Govt"}))
            out << "G " << s.span.utf16Start << ' ' << s.sector << '\n';
        for (const smarttag::Tag& t : shared.Find(document)) {
            out << "T " << t.name << ' ' << t.span.paragraph << ' ' << t.matchedText;
            for (const smarttag::Property& p : t.properties) out << ' ' << p.key << '=' << p.value;
            out << '\n';
            const smarttag::Normalized n = smarttag::Normalize(t.matchedText);
            out << "N " << n.ok << ' ' << n.citation << ' ' << n.category << '\n';
        }
    }
    return out.str();
}

TEST(Concurrency, ThreadsCallingThePublicInterfaceAtOnceGetOneThreadsAnswers) {
    const std::vector<std::string> documents = Documents();
    const smarttag::Tagger shared;
    constexpr int kThreads = 3;

    // All threads start together, so that the first use of the default
    // Tagger happens on several threads at once.
    std::mutex mutex;
    std::condition_variable go;
    int waiting = 0;
    std::vector<std::string> answers(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            {
                std::unique_lock<std::mutex> lock(mutex);
                if (++waiting == kThreads) go.notify_all();
                go.wait(lock, [&] { return waiting == kThreads; });
            }
            std::vector<std::string> mine(documents.size());
            // Each thread takes the documents in its own order.
            for (std::size_t i = 0; i < documents.size(); ++i)
                mine[(i + t) % documents.size()] = Answers(shared, {documents[(i + t) % documents.size()]});
            for (const std::string& answer : mine) answers[t] += answer;
        });
    for (std::thread& thread : threads) thread.join();

    const std::string expected = Answers(shared, documents);
    EXPECT_NE(expected.find("C "), std::string::npos);
    EXPECT_NE(expected.find("G "), std::string::npos);
    for (const std::string& answer : answers) EXPECT_EQ(answer, expected);
}

}  // namespace
