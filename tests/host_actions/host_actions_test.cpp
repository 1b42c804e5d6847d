// Runs smarttag-host with the action side: --verbs and --invoke.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

std::string RunHost(const std::string& arguments) {
    const std::string command = std::string(SMARTTAG_HOST_PATH) + " " + arguments + " 2>/dev/null";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> lines;
    std::size_t at = 0, end;
    while ((end = out.find('\n', at)) != std::string::npos) {
        lines.push_back(nlohmann::json::parse(out.substr(at, end - at)));
        at = end + 1;
    }
    return lines;
}

std::string Document() {
    const std::string path = ::testing::TempDir() + "host_actions_doc.txt";
    std::ofstream(path, std::ios::binary) << "IBM US Equity\n\nACME 4 1/2 03/01/31 Corp\n";
    return path;
}

TEST(HostActionsTest, VerbsAreListedPerTagTypeInNumberingOrder) {
    const auto lines = JsonLines(RunHost("--format jsonl --sectors Equity,Corp --sector-verbs '7|DES|GP' --verbs " +
                                         Document()));
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
    const auto lines =
        JsonLines(RunHost("--format jsonl --sectors Equity,Corp --sector-verbs '7|DES|GP' --invoke GP " + Document()));
    ASSERT_EQ(lines.size(), 2u);
    const nlohmann::json& invoke = lines[0]["invoke"];
    EXPECT_EQ(invoke["result"], 0);
    ASSERT_FALSE(invoke["received"].empty());
    EXPECT_EQ(invoke["received"].back(), "CommandSender(\"IBM US Equity<GO>GP<GO>\", 7)");
    EXPECT_EQ(lines[1]["invoke"]["received"].back(), "CommandSender(\"ACME 4 1/2 03/01/31 Corp<GO>GP<GO>\", 7)");

    const auto unknown = JsonLines(RunHost("--format jsonl --invoke NoSuchVerb " + Document()));
    ASSERT_EQ(unknown.size(), 2u);
    EXPECT_TRUE(unknown[0]["invoke"]["verbId"].is_null());
}

TEST(HostActionsTest, OptionsVerbOpensTheToolWithTheTagsSector) {
    const auto lines = JsonLines(RunHost("--format jsonl --invoke Options... " + Document()));
    ASSERT_EQ(lines.size(), 2u);
    const std::string last = lines[1]["invoke"]["received"].back();
    EXPECT_NE(last.find("PenworkProxy::ActivateTool(["), std::string::npos) << last;
    EXPECT_NE(last.find("\"Corp\"])"), std::string::npos) << last;
}

}  // namespace
