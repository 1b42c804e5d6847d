// Runs the smarttag-host program on small documents and checks what it prints.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

struct HostRun {
    int status;
    std::string out;
};

HostRun RunHost(const std::string& arguments) {
    const std::string command = std::string(SMARTTAG_HOST_PATH) + " " + arguments + " 2>/dev/null";
    HostRun run{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    run.status = pclose(pipe);
    return run;
}

std::string WriteDocument(const std::string& name, const std::string& contents) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
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

TEST(SmarttagHostTest, ParagraphsAreJoinedLinesAndOffsetsAreUtf16) {
    // Paragraph 2 spans two CRLF lines; paragraph 3 holds a character outside
    // the BMP (two UTF-16 units); blank-looking lines separate paragraphs.
    const std::string path = WriteDocument("host_doc.txt",
                                           "Intro text.\n\nIBM\r\nUS Equity\r\n \t\n\xF0\x9F\x98\x80X US Fund\n\n"
                                           "Not a security\n");
    const HostRun run = RunHost("--format jsonl " + path);
    EXPECT_EQ(run.status, 0);
    const auto lines = JsonLines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;

    EXPECT_EQ(lines[0]["file"], path);
    EXPECT_EQ(lines[0]["paragraph"], 2);
    EXPECT_EQ(lines[0]["name"], "urn:veltra:smarttags#Equity");
    EXPECT_EQ(lines[0]["start"], 1);
    EXPECT_EQ(lines[0]["length"], 13);
    EXPECT_EQ(lines[0]["text"], "IBM US Equity");
    EXPECT_EQ(lines[0]["properties"].dump(), R"({"MarketSector":"Equity","Security":"IBM US Equity"})");

    EXPECT_EQ(lines[1]["paragraph"], 3);
    EXPECT_EQ(lines[1]["length"], 11);  // 10 code points, 14 UTF-8 bytes
    EXPECT_EQ(lines[1]["text"], "\xF0\x9F\x98\x80X US Fund");
}

TEST(SmarttagHostTest, OptionsAndErrors) {
    const std::string path = WriteDocument("host_sectors.txt", "T 2 05/15/30 Govt\n\nIBM US Equity\n");
    const auto lines = JsonLines(RunHost("--format jsonl --sectors Govt --prefix p: " + path).out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["name"], "p:Govt");

    const HostRun table = RunHost(path);
    EXPECT_NE(table.out.find("urn:veltra:smarttags#Equity"), std::string::npos);
    EXPECT_NE(table.out.find("1 tag"), std::string::npos);

    EXPECT_NE(RunHost(path + " /nonexistent/file.txt").status, 0);
    EXPECT_NE(RunHost("--format xml " + path).status, 0);
}

}  // namespace
