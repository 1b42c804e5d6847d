// The C interface: the C++ interface's tags as JSON, status codes and
// messages for every kind of bad call, and nothing left allocated.
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "api/document.h"
#include "smarttag/smarttag.h"
#include "smarttag/smarttag_c.h"

namespace {

const std::string kDocument =
    "See Roe v. Wade, 410 U.S. 113 (1973)\r\nand 5 F.3d 77.\n\nBuy now \xF0\x9F\x93\x88 347 U.S. 483.\n\n\xF0\x9F\x93\x88 IBM US Equity\n";

std::string FindJson(const smarttag_tagger* tagger, const std::string& document) {
    char* json = nullptr;
    EXPECT_EQ(smarttag_find_json(tagger, document.data(), document.size(), &json), SMARTTAG_OK) << smarttag_last_error();
    std::string text = json ? json : "";
    smarttag_free(json);
    return text;
}

TEST(CApi, FindGivesTheTagsOfTheCppInterface) {
    smarttag_tagger* tagger = nullptr;
    ASSERT_EQ(smarttag_tagger_create(nullptr, 0, nullptr, &tagger), SMARTTAG_OK);
    const nlohmann::json found = nlohmann::json::parse(FindJson(tagger, kDocument));
    smarttag_tagger_free(tagger);

    const std::vector<smarttag::Tag> expected = smarttag::Tagger().Find(kDocument);
    ASSERT_GE(expected.size(), 3u);
    ASSERT_EQ(found.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const smarttag::Tag& tag = expected[i];
        const nlohmann::json& got = found[i];
        EXPECT_EQ(got["type"], tag.type);
        EXPECT_EQ(got["name"], tag.name);
        EXPECT_EQ(got["text"], tag.matchedText);
        EXPECT_EQ(kDocument.substr(got["byteStart"], got["byteLength"]), tag.matchedText);
        EXPECT_EQ(got["charStart"], tag.span.charStart);
        EXPECT_EQ(got["charLength"], tag.span.charLength);
        EXPECT_EQ(got["paragraph"], tag.span.paragraph);
        EXPECT_EQ(got["utf16Start"], tag.span.utf16Start);
        EXPECT_EQ(got["utf16Length"], tag.span.utf16Length);
        ASSERT_EQ(got["properties"].size(), tag.properties.size());
        for (std::size_t p = 0; p < tag.properties.size(); ++p) {
            EXPECT_EQ(got["properties"][p][0], tag.properties[p].key);
            EXPECT_EQ(got["properties"][p][1], tag.properties[p].value);
        }
    }
}

TEST(CApi, CitationsAndSecuritiesCarryTheirParts) {
    smarttag_tagger* tagger = nullptr;
    ASSERT_EQ(smarttag_tagger_create(nullptr, 0, nullptr, &tagger), SMARTTAG_OK);
    char* json = nullptr;
    ASSERT_EQ(smarttag_find_citations_json(tagger, kDocument.data(), kDocument.size(), &json), SMARTTAG_OK);
    const nlohmann::json citations = nlohmann::json::parse(json);
    smarttag_free(json);
    ASSERT_EQ(smarttag_find_securities_json(tagger, kDocument.data(), kDocument.size(), &json), SMARTTAG_OK);
    const nlohmann::json securities = nlohmann::json::parse(json);
    smarttag_free(json);
    smarttag_tagger_free(tagger);

    const smarttag::Tagger cpp;
    const std::vector<smarttag::Citation> expected = cpp.FindCitations(kDocument);
    ASSERT_EQ(citations.size(), expected.size());
    ASSERT_GE(expected.size(), 2u);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(citations[i]["text"], expected[i].matchedText);
        EXPECT_EQ(citations[i]["charStart"], expected[i].span.charStart);
        EXPECT_EQ(citations[i]["canonical"], expected[i].canonical);
        EXPECT_EQ(citations[i]["category"], expected[i].category);
        EXPECT_EQ(citations[i]["volume"], expected[i].volume);
        EXPECT_EQ(citations[i]["reporter"], expected[i].reporter);
        EXPECT_EQ(citations[i]["page"], expected[i].page);
    }
    EXPECT_EQ(citations[0]["canonical"], "410 us 113");
    EXPECT_EQ(citations[0]["category"], "USReport");
    ASSERT_EQ(securities.size(), 1u);
    EXPECT_EQ(securities[0]["sector"], "Equity");
    EXPECT_EQ(securities[0]["security"], cpp.FindSecurities(kDocument).at(0).security);
}

// Quotes, backslashes and control characters in a matched text are escaped.
TEST(CApi, JsonEscapesWhatTheTextHolds) {
    const std::string document = "Say \"A\\B\"\t\x1F US Equity";
    smarttag_tagger* tagger = nullptr;
    ASSERT_EQ(smarttag_tagger_create(nullptr, 0, nullptr, &tagger), SMARTTAG_OK);
    const nlohmann::json found = nlohmann::json::parse(FindJson(tagger, document));
    smarttag_tagger_free(tagger);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]["text"], document);
    EXPECT_EQ(found[0]["properties"][1][1], document);
}

TEST(CApi, SectorsAndPrefixAreTheCallers) {
    const char* sectors[] = {"Govt"};
    smarttag_tagger* tagger = nullptr;
    ASSERT_EQ(smarttag_tagger_create(sectors, 1, "urn:test#", &tagger), SMARTTAG_OK);
    const nlohmann::json found = nlohmann::json::parse(FindJson(tagger, "UST 2 Govt\n\nIBM US Equity"));
    smarttag_tagger_free(tagger);
    ASSERT_EQ(found.size(), 1u) << found.dump();  // Equity is no sector here
    EXPECT_EQ(found[0]["name"], "urn:test#Govt");
    EXPECT_EQ(found[0]["paragraph"], 1);

    tagger = nullptr;
    ASSERT_EQ(smarttag_tagger_create(sectors, 0, nullptr, &tagger), SMARTTAG_OK);  // no sectors at all
    EXPECT_EQ(FindJson(tagger, "IBM US Equity"), "[]");
    EXPECT_EQ(FindJson(tagger, ""), "[]");
    smarttag_tagger_free(tagger);
}

TEST(CApi, BadCallsGetAStatusAndAMessage) {
    int dummy = 0;
    smarttag_tagger* tagger = reinterpret_cast<smarttag_tagger*>(&dummy);  // must be reset
    const char* badSectors[] = {"Two words"};
    EXPECT_EQ(smarttag_tagger_create(badSectors, 1, nullptr, &tagger), SMARTTAG_ERROR_ARGUMENT);
    EXPECT_EQ(tagger, nullptr);
    EXPECT_NE(std::string(smarttag_last_error()).find("Two words"), std::string::npos) << smarttag_last_error();
    // A long message is cut to whole characters.
    std::string longWord;
    for (int i = 0; i < 400; ++i) longWord += "\xC3\xA9";  // é
    longWord += " x";
    const char* longSectors[] = {longWord.c_str()};
    EXPECT_EQ(smarttag_tagger_create(longSectors, 1, nullptr, &tagger), SMARTTAG_ERROR_ARGUMENT);
    const std::string cut = smarttag_last_error();
    EXPECT_LT(cut.size(), 512u);
    EXPECT_GT(cut.size(), 500u);
    EXPECT_EQ(smarttag::api::FirstInvalidUtf8(cut), std::string::npos);
    const char* nullSector[] = {nullptr};
    EXPECT_EQ(smarttag_tagger_create(nullSector, 1, nullptr, &tagger), SMARTTAG_ERROR_ARGUMENT);
    EXPECT_EQ(smarttag_tagger_create(nullptr, 2, nullptr, &tagger), SMARTTAG_ERROR_ARGUMENT);
    EXPECT_EQ(smarttag_tagger_create(nullptr, 0, "\xFF", &tagger), SMARTTAG_ERROR_ARGUMENT);
    EXPECT_EQ(smarttag_tagger_create(nullptr, 0, nullptr, nullptr), SMARTTAG_ERROR_ARGUMENT);

    ASSERT_EQ(smarttag_tagger_create(nullptr, 0, nullptr, &tagger), SMARTTAG_OK);
    char* json = reinterpret_cast<char*>(1);
    const std::string withNul("410 U.S. 113\0x", 14);
    EXPECT_EQ(smarttag_find_json(tagger, withNul.data(), withNul.size(), &json), SMARTTAG_ERROR_DOCUMENT);
    EXPECT_EQ(json, nullptr);
    EXPECT_NE(std::string(smarttag_last_error()).find("NUL"), std::string::npos) << smarttag_last_error();
    EXPECT_EQ(smarttag_find_json(tagger, "a\xC0\x80", 3, &json), SMARTTAG_ERROR_DOCUMENT);
    EXPECT_EQ(smarttag_find_json(tagger, nullptr, 5, &json), SMARTTAG_ERROR_ARGUMENT);
    EXPECT_EQ(smarttag_find_json(nullptr, "x", 1, &json), SMARTTAG_ERROR_ARGUMENT);
    EXPECT_EQ(smarttag_find_json(tagger, "x", 1, nullptr), SMARTTAG_ERROR_ARGUMENT);
    EXPECT_EQ(json, nullptr);
    json = reinterpret_cast<char*>(1);
    EXPECT_EQ(smarttag_find_citations_json(tagger, "\xFF\xFEx", 3, &json), SMARTTAG_ERROR_DOCUMENT);
    EXPECT_EQ(json, nullptr);
    EXPECT_NE(std::string(smarttag_last_error()).find("UTF-16"), std::string::npos) << smarttag_last_error();
    EXPECT_EQ(smarttag_find_securities_json(nullptr, "x", 1, &json), SMARTTAG_ERROR_ARGUMENT);
    // A message names the failure of this call, not an earlier one.
    EXPECT_STREQ(smarttag_last_error(), "no tagger");
    smarttag_tagger_free(tagger);
    smarttag_tagger_free(nullptr);
    smarttag_free(nullptr);
}

TEST(CApi, LastErrorIsPerThread) {
    smarttag_tagger* tagger = nullptr;
    EXPECT_EQ(smarttag_tagger_create(nullptr, 0, nullptr, nullptr), SMARTTAG_ERROR_ARGUMENT);
    const std::string mine = smarttag_last_error();
    std::string theirs = "unset";
    std::thread([&] { theirs = smarttag_last_error(); }).join();
    EXPECT_EQ(theirs, "");
    EXPECT_EQ(smarttag_last_error(), mine);
    EXPECT_EQ(tagger, nullptr);
}

TEST(CApi, NormalizeAnswersAsTheCppInterface) {
    for (const std::string text : {"410 U.S. 113", "not a citation at all", "347 U. S. 483 \xE2\x80\x94", "\xFF\xFE"}) {
        const smarttag::Normalized expected = smarttag::Normalize(text);
        int accepted = -1;
        char* citation = nullptr;
        char* category = nullptr;
        ASSERT_EQ(smarttag_normalize(text.data(), text.size(), &accepted, &citation, &category), SMARTTAG_OK);
        EXPECT_EQ(accepted, expected.ok ? 1 : 0) << text;
        EXPECT_EQ(citation, expected.citation);
        EXPECT_EQ(category, expected.category);
        smarttag_free(citation);
        smarttag_free(category);
    }
    int accepted = 0;
    char* citation = nullptr;
    ASSERT_EQ(smarttag_normalize("410 U.S. 113", 12, &accepted, &citation, nullptr), SMARTTAG_OK);
    EXPECT_EQ(accepted, 1);
    EXPECT_STREQ(citation, "410 us 113");
    smarttag_free(citation);
    EXPECT_EQ(smarttag_normalize(nullptr, 3, &accepted, &citation, nullptr), SMARTTAG_ERROR_ARGUMENT);
    EXPECT_EQ(smarttag_normalize("x", 1, nullptr, &citation, nullptr), SMARTTAG_ERROR_ARGUMENT);
}

// Under the leak checker this proves every handle and string is given back.
TEST(CApi, CreateFindFreeCyclesFromSeveralThreads) {
    smarttag_tagger* shared = nullptr;
    ASSERT_EQ(smarttag_tagger_create(nullptr, 0, nullptr, &shared), SMARTTAG_OK);
    const std::string expected = FindJson(shared, kDocument);
    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 5; ++i) {
                smarttag_tagger* own = nullptr;
                if (smarttag_tagger_create(nullptr, 0, nullptr, &own) != SMARTTAG_OK) ++mismatches[t];
                char* a = nullptr;
                char* b = nullptr;
                smarttag_find_json(shared, kDocument.data(), kDocument.size(), &a);
                smarttag_find_json(own, kDocument.data(), kDocument.size(), &b);
                if (!a || !b || a != expected || b != expected) ++mismatches[t];
                smarttag_free(a);
                smarttag_free(b);
                if (smarttag_find_json(own, "\0", 1, &b) != SMARTTAG_ERROR_DOCUMENT || b) ++mismatches[t];
                smarttag_tagger_free(own);
            }
        });
    for (std::thread& thread : threads) thread.join();
    smarttag_tagger_free(shared);
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
    EXPECT_STREQ(smarttag_version(), SMARTTAG_VERSION);
}

}  // namespace
