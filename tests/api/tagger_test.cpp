// The C++ interface: the same tags as the add-in commits (checked against
// smarttag-host's output), with document offsets that slice the document to
// the matched text, and bounded answers for bad input.
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "api/catalogue.h"
#include "api/document.h"
#include "normalizer/normalize_citation.h"
#include "smarttag/smarttag.h"
#include "tests/support/platform_facilities.h"
#include "tests/tools/host_process.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// The host's JSON line for a tag of `document` found through the interface.
nlohmann::ordered_json AsHostLine(const std::string& file, const std::string& document, const smarttag::Tag& tag) {
    nlohmann::ordered_json properties = nlohmann::ordered_json::object();
    for (const smarttag::Property& property : tag.properties) properties[property.key] = property.value;
    // The host prints the paragraph's text, whose joining blanks stand where
    // the document has its line breaks.
    std::string text;
    for (std::size_t i = 0; i < tag.matchedText.size(); ++i) {
        if (tag.matchedText.compare(i, 2, "\r\n") == 0) ++i;
        text += tag.matchedText[i] == '\n' ? ' ' : tag.matchedText[i];
    }
    EXPECT_EQ(document.substr(tag.span.byteStart, tag.span.byteLength), tag.matchedText);
    nlohmann::ordered_json line;
    line["file"] = file;
    line["paragraph"] = tag.span.paragraph;
    line["name"] = tag.name;
    line["start"] = tag.span.utf16Start;
    line["length"] = tag.span.utf16Length;
    line["text"] = text;
    line["properties"] = properties;
    return line;
}

std::string FindAsHostLines(const smarttag::Tagger& tagger, const std::string& file) {
    const std::string document = ReadAll(file);
    std::string out;
    for (const smarttag::Tag& tag : tagger.Find(document))
        out += AsHostLine(file, document, tag).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) +
               "\n";
    return out;
}

TEST(Tagger, GivesTheHostsTagsOnTheExamples) {
    const fs::path before = fs::current_path();
    fs::current_path(SMARTTAG_SOURCE_DIR);
    const smarttag::Tagger tagger;
    for (const char* name : {"sample", "brief", "securities_note"}) {
        const std::string file = std::string("examples/") + name + ".txt";
        EXPECT_EQ(FindAsHostLines(tagger, file), ReadAll(std::string("examples/") + name + ".expected.jsonl")) << file;
    }
    fs::current_path(before);
}

#if defined(SMARTTAG_HOST_PATH)
TEST(Tagger, GivesTheHostsTagsOnTheCorpus) {
    if (!fs::is_directory(SMARTTAG_CORPUS_DIR)) GTEST_SKIP() << "no corpus at " << SMARTTAG_CORPUS_DIR;
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(SMARTTAG_CORPUS_DIR))
        if (entry.path().extension() == ".txt") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());
    std::string arguments = "--format jsonl --no-progress", expected;
    for (const std::string& file : files) arguments += " " + smarttag_test::ShellQuote(file);
    const smarttag_test::HostRun run = smarttag_test::RunHost(arguments);
    ASSERT_EQ(run.status, 0) << run.err;

    const smarttag::Tagger tagger;
    std::string found;
    for (const std::string& file : files) found += FindAsHostLines(tagger, file);
    EXPECT_EQ(found, run.out);
}
#endif

TEST(Tagger, CitationsCarryCanonicalFormCategoryAndParts) {
    const std::string document = "See Roe v. Wade,\r\n410 U.S.\r\n113 (1973) \xF0\x9F\x98\x80 and 346 F. Supp. 2d 628.\n\n"
                                 "Also IBM US Equity";
    const std::vector<smarttag::Citation> citations = smarttag::FindCitations(document);
    ASSERT_EQ(citations.size(), 2u);
    EXPECT_EQ(citations[0].matchedText, "410 U.S.\r\n113");
    EXPECT_EQ(citations[0].canonical, "410 us 113");
    EXPECT_EQ(citations[0].category, "USReport");
    EXPECT_EQ(citations[0].volume, "410");
    EXPECT_EQ(citations[0].reporter, "us");
    EXPECT_EQ(citations[0].page, "113");
    EXPECT_EQ(citations[0].span.paragraph, 1);
    EXPECT_EQ(citations[0].span.utf16Start, 18);
    EXPECT_EQ(citations[0].span.utf16Length, 12);
    EXPECT_EQ(citations[0].span.charStart, 18u);  // "\r\n" counts two
    EXPECT_EQ(citations[1].reporter, "f supp 2d");
    EXPECT_EQ(citations[1].matchedText, "346 F. Supp. 2d 628");
    // Code points: the emoji is one, the CR LF pairs two each.
    EXPECT_EQ(citations[1].span.charStart, document.substr(0, citations[1].span.byteStart).size() - 3);
    for (const smarttag::Citation& citation : citations) {
        const smarttag::Normalized again = smarttag::Normalize(citation.matchedText);
        EXPECT_EQ(again.citation, citation.canonical);
        EXPECT_EQ(again.category, citation.category);
    }

    const std::vector<smarttag::Security> securities = smarttag::FindSecurities(document);
    ASSERT_EQ(securities.size(), 1u);
    EXPECT_EQ(securities[0].matchedText, "Also IBM US Equity");
    EXPECT_EQ(securities[0].sector, "Equity");
    EXPECT_EQ(securities[0].security, "Also IBM US Equity");
    EXPECT_EQ(securities[0].span.paragraph, 2);
    EXPECT_TRUE(smarttag::FindSecurities(document, {"Bond"}).empty());
    EXPECT_EQ(smarttag::FindSecurities("ACME 5 2030 Bond", {"Bond"}).size(), 1u);
}

// A citation's category is the plain normalizer's for the candidate the
// recognizer matched, whichever catalogue the recognizer uses. The corpus has
// citations of reporter names the bundled update classifies otherwise than
// the built-in catalogue, for which the Tagger cannot take the recognizer's
// own category.
TEST(Tagger, CategoriesAreThePlainNormalizersWhateverTheCatalogue) {
    std::vector<std::string> files = {std::string(SMARTTAG_SOURCE_DIR) + "/examples/brief.txt",
                                      std::string(SMARTTAG_SOURCE_DIR) + "/examples/sample.txt"};
    const bool corpus = fs::is_directory(SMARTTAG_CORPUS_DIR);
    if (corpus)
        for (const auto& entry : fs::directory_iterator(SMARTTAG_CORPUS_DIR))
            if (entry.path().extension() == ".txt") files.push_back(entry.path().string());
    const Veltra::Penwork::Recognizer::ReporterCatalogue bundled(
        Veltra::Penwork::Recognizer::CatalogueRows(smarttag::api::CatalogueUpdateFor("")));
    for (const char* catalogue : {"", "none"}) {
        smarttag::Options options;
        options.catalogue = catalogue;
        const smarttag::Tagger tagger(options);
        std::size_t citations = 0, reclassified = 0;
        for (const std::string& file : files) {
            const std::string document = ReadAll(file);
            const std::vector<smarttag::api::Paragraph> paragraphs = smarttag::api::SplitParagraphs(document);
            for (const smarttag::Citation& citation : tagger.FindCitations(document)) {
                const auto& text = paragraphs.at(std::size_t(citation.span.paragraph - 1)).text;
                std::string candidate = smarttag::platform::WideToAnsi(
                    text.data() + citation.span.utf16Start - 1, std::size_t(citation.span.utf16Length));
                std::string category;
                ASSERT_TRUE(Veltra::Penwork::Recognizer::NormalizeCitation(candidate, category)) << file;
                EXPECT_EQ(citation.category, category) << file << ": " << citation.matchedText;
                ++citations;
                reclassified += Veltra::Penwork::Recognizer::ClassifyByReporterName(candidate) !=
                                Veltra::Penwork::Recognizer::ClassifyByReporterName(candidate, bundled);
            }
        }
        EXPECT_GT(citations, 0u);
        if (corpus && *catalogue == '\0') {
            EXPECT_GT(reclassified, 0u);
        }
    }
}

TEST(Normalize, AnswersAsTheNormalizerDoesAfterTheRecognizersConversion) {
    for (const char* candidate : {"410 U.S. 113", "42 usc", "not a citation", "", "123 f. supp. (2d) 456"}) {
        std::string citation = candidate, category;
        const bool ok = Veltra::Penwork::Recognizer::NormalizeCitation(citation, category);
        const smarttag::Normalized normalized = smarttag::Normalize(candidate);
        EXPECT_EQ(normalized.ok, ok) << candidate;
        EXPECT_EQ(normalized.citation, citation) << candidate;
        EXPECT_EQ(normalized.category, category) << candidate;
    }
    // UTF-8 in, Windows-1252 underneath, UTF-8 out: the em dash is byte 0x97
    // for the normalizer and comes back as itself in the refused text.
    const smarttag::Normalized dashed = smarttag::Normalize("410 U.S. 113\xE2\x80\x94");
    EXPECT_FALSE(dashed.ok);
    EXPECT_EQ(dashed.citation.substr(dashed.citation.size() - 3), "\xE2\x80\x94");
    EXPECT_FALSE(smarttag::Normalize(std::string(5000, '1')).ok);
    EXPECT_FALSE(smarttag::Normalize(std::string("\xFF\x00\xC3", 3)).ok);
    EXPECT_STREQ(smarttag::VersionString(), SMARTTAG_VERSION);
}

TEST(Tagger, RefusesBadInputWithClearErrors) {
    EXPECT_THROW(smarttag::FindCitations(std::string("410 U.S. 113\0", 13)), smarttag::InvalidDocument);
    try {
        smarttag::FindCitations("410 U.S. \xC3(");
        ADD_FAILURE() << "no exception";
    } catch (const smarttag::InvalidDocument& e) {
        EXPECT_EQ(std::string(e.what()),
                  "not UTF-8 text (byte 0xC3 at line 1, byte 10 does not start a valid sequence); convert it to UTF-8");
    }
    smarttag::Options options;
    options.sectors = {"Equity", ""};
    EXPECT_THROW(smarttag::Tagger{options}, std::invalid_argument);
    options.sectors = {"Two words"};
    EXPECT_THROW(smarttag::Tagger{options}, std::invalid_argument);
    EXPECT_TRUE(smarttag::FindCitations("").empty());
    EXPECT_TRUE(smarttag::FindCitations("\xEF\xBB\xBF").empty());
}

// Running out of memory anywhere, inside the adaptor included (which logs and
// carries on, as Office needs), gives std::bad_alloc or a runtime error: never
// a shorter or different answer, never an exception of another kind.
TEST(Tagger, RunningOutOfStringsFailsTheCallInsteadOfLosingTags) {
    SMARTTAG_REQUIRE_ALLOCATION_COUNTERS();
    const std::string document = "410 U.S. 113 and 5 F.3d 77\n\nIBM US Equity\n";
    const smarttag::Tagger tagger;
    const std::vector<smarttag::Tag> expected = tagger.Find(document);
    ASSERT_EQ(expected.size(), 3u);
    int failed = 0;
    for (long succeed = 0;; ++succeed) {
        bool threw = false;
        std::vector<smarttag::Tag> found;
        {
            smarttag::platform::ScopedBstrAllocationFailure failure(succeed);
            try {
                found = tagger.Find(document);
            } catch (const std::bad_alloc&) {
                threw = true;
            } catch (const std::runtime_error&) {
                threw = true;
            }
        }
        if (threw) {
            ++failed;
            continue;
        }
        ASSERT_EQ(found.size(), expected.size()) << "with " << succeed << " strings";
        for (std::size_t i = 0; i < found.size(); ++i) {
            EXPECT_EQ(found[i].name, expected[i].name) << succeed;
            ASSERT_EQ(found[i].properties.size(), expected[i].properties.size()) << succeed;
            for (std::size_t p = 0; p < found[i].properties.size(); ++p)
                EXPECT_EQ(found[i].properties[p].value, expected[i].properties[p].value) << succeed;
        }
        break;  // enough strings for the whole call
    }
    EXPECT_GT(failed, 5);
    // And a tagger cannot be built without strings.
    smarttag::platform::ScopedBstrAllocationFailure none(0);
    EXPECT_THROW(smarttag::Tagger(), std::bad_alloc);
}

TEST(Tagger, ThreadsSharingOneTaggerGetTheSameAnswers) {
    const smarttag::Tagger tagger;
    const std::string document = ReadAll(std::string(SMARTTAG_SOURCE_DIR) + "/examples/brief.txt");
    const std::vector<smarttag::Tag> expected = tagger.Find(document);
    ASSERT_FALSE(expected.empty());
    std::vector<int> same(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int round = 0; round < 20; ++round) {
                const std::vector<smarttag::Tag> found = tagger.Find(document);
                bool equal = found.size() == expected.size();
                for (std::size_t i = 0; equal && i < found.size(); ++i)
                    equal = found[i].matchedText == expected[i].matchedText &&
                            found[i].span.byteStart == expected[i].span.byteStart &&
                            found[i].properties.size() == expected[i].properties.size();
                same[t] += equal;
            }
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(same, std::vector<int>(4, 20));
}

}  // namespace
