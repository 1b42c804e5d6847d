// Runs smarttag-host with the action side: --verbs and --invoke.
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/tools/host_process.h"

namespace {

using smarttag_test::JsonLines;
using smarttag_test::ShellQuote;
using smarttag_test::TempFile;

std::string RunHost(const std::string& arguments) { return smarttag_test::RunHost(arguments).out; }

// Each test writes a document of its own, so that tests can run in parallel.
struct Document : TempFile {
    Document() : TempFile("host_actions_doc.txt", "IBM US Equity\n\nACME 4 1/2 03/01/31 Corp\n") {}
};

TEST(HostActionsTest, VerbsAreListedPerTagTypeInNumberingOrder) {
    const Document document;
    const auto lines =
        JsonLines(RunHost("--format jsonl --sectors Equity,Corp --sector-verbs " + ShellQuote("7|DES|GP") + " --verbs " + document.path()));
    ASSERT_EQ(lines.size(), 2u + 4u);  // two tags, then Citation, Equity, Corp, Transparency
    EXPECT_EQ(lines[2]["type"], "urn:veltra:smarttags#Citation");
    EXPECT_EQ(lines[2]["verbs"][0]["caption"], "Jurra Citator (LXCHK)");
    EXPECT_EQ(lines[3]["caption"], "Equity Functions");
    const nlohmann::json equity = lines[3]["verbs"];
    ASSERT_EQ(equity.size(), 3u);
    EXPECT_EQ(equity[0], (nlohmann::json{{"id", 1}, {"name", "DES"}, {"caption", "DES"}}));
    EXPECT_EQ(equity[2]["name"], "Options...");
    EXPECT_EQ(lines[4]["verbs"][0]["id"], 4);
    EXPECT_EQ(lines[5]["verbs"][0]["name"], "Get Transparency Data...");
}

TEST(HostActionsTest, InvokeSendsTheTerminalCommandOfEachTag) {
    const Document document;
    const auto lines =
        JsonLines(RunHost("--format jsonl --sectors Equity,Corp --sector-verbs " + ShellQuote("7|DES|GP") + " --invoke GP " +
                          document.path()));
    ASSERT_EQ(lines.size(), 2u);
    const nlohmann::json& invoke = lines[0]["invoke"];
    EXPECT_EQ(invoke["result"], 0);
    ASSERT_FALSE(invoke["received"].empty());
    EXPECT_EQ(invoke["received"].back(), "CommandSender(\"IBM US Equity<GO>GP<GO>\", 7)");
    EXPECT_EQ(lines[1]["invoke"]["received"].back(), "CommandSender(\"ACME 4 1/2 03/01/31 Corp<GO>GP<GO>\", 7)");

    const auto unknown = JsonLines(RunHost("--format jsonl --invoke NoSuchVerb " + document.path()));
    ASSERT_EQ(unknown.size(), 2u);
    EXPECT_TRUE(unknown[0]["invoke"]["verbId"].is_null());
}

TEST(HostActionsTest, OptionsVerbOpensTheToolWithTheTagsSector) {
    const Document document;
    const auto lines = JsonLines(RunHost("--format jsonl --invoke Options... " + document.path()));
    ASSERT_EQ(lines.size(), 2u);
    const std::string last = lines[1]["invoke"]["received"].back();
    EXPECT_NE(last.find("PenworkProxy::ActivateTool(["), std::string::npos) << last;
    EXPECT_NE(last.find("\"Corp\"])"), std::string::npos) << last;
}

}  // namespace
