// Runs citenorm on small candidate files and checks what it prints.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/support/platform_facilities.h"
#include "tests/tools/host_process.h"

namespace {

using CitenormRun = smarttag_test::HostRun;

CitenormRun RunCitenorm(const std::string& arguments) { return smarttag_test::RunProgram(CITENORM_PATH, arguments); }

std::string WriteFile(const std::string& name, const std::string& contents) {
    const std::string path = ::testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::vector<std::string> Lines(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t at = 0, end;
    while ((end = out.find('\n', at)) != std::string::npos) {
        lines.push_back(out.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

TEST(CitenormTest, OneResultLinePerInputLineWhateverTheLineEnds) {
    // CRLF line ends, an empty line (a candidate too) and a last line without
    // a line end.
    const std::string path =
        WriteFile("citenorm_lines.txt", "410 U.S. 113\r\n\r\n12 u.s.c. sec. 1\n123 F. Supp. 2d 456");
    const CitenormRun run = RunCitenorm(path);
    EXPECT_EQ(run.status, 0);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 4u) << run.out;
    EXPECT_EQ(lines[0], "true\t410 us 113\tUSReport");
    EXPECT_EQ(lines[1], "false\t\t");
    EXPECT_EQ(lines[2], "false\t12 u.s.c sec 1\t");
    EXPECT_EQ(lines[3], "true\t123 f supp 2d 456\tPrimaryFederalReporter");
}

TEST(CitenormTest, JsonObjectsAndTextOutsideAscii) {
    SMARTTAG_REQUIRE_ANSI_CODE_PAGE_1252();
    // A UTF-8 section sign reaches the normalizer as the ANSI byte, as the
    // recognizer would hand it over; a line that is not UTF-8 is taken as ANSI.
    const std::string path = WriteFile("citenorm_json.txt", "42 U.S.C. \xC2\xA7 1983\n42 u.s.c. \xA7 1983\n*x\n");
    const CitenormRun run = RunCitenorm("--json " + path);
    EXPECT_EQ(run.status, 0);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    for (const std::string& line : lines) {
        const nlohmann::json object = nlohmann::json::parse(line);
        ASSERT_EQ(object.size(), 4u) << line;
        EXPECT_TRUE(object.contains("input") && object.contains("ok") && object.contains("citation") &&
                    object.contains("category"))
            << line;
    }
    const nlohmann::json first = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(first["input"], "42 U.S.C. \xC2\xA7 1983");
    EXPECT_EQ(first["ok"], true);
    EXPECT_EQ(first["citation"], "42 usc 1983");
    EXPECT_EQ(first["category"], "USC");
    EXPECT_EQ(nlohmann::json::parse(lines[1])["citation"], "42 usc 1983");
    const nlohmann::json refused = nlohmann::json::parse(lines[2]);
    EXPECT_EQ(refused["ok"], false);
    EXPECT_EQ(refused["citation"], "*x");
}

TEST(CitenormTest, StandardInputStatisticsAndUnreadableFiles) {
    const std::string input = WriteFile("citenorm_stdin.txt", "410 U.S. 113\nnot a citation\n");
    const CitenormRun run = RunCitenorm("--stats < " + smarttag_test::ShellQuote(input));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(Lines(run.out).size(), 2u);
    const std::string& stats = run.err;
    EXPECT_NE(stats.find("inputs: 2\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("accepted: 1\n"), std::string::npos) << stats;
    EXPECT_NE(stats.find("seconds: "), std::string::npos) << stats;
    EXPECT_NE(stats.find("inputs per second: "), std::string::npos) << stats;

    // A missing file fails the run but the readable ones are still answered.
    const CitenormRun missing = RunCitenorm("/nonexistent/candidates.txt " + input);
    EXPECT_NE(missing.status, 0);
    EXPECT_EQ(Lines(missing.out).size(), 2u);
    EXPECT_NE(RunCitenorm("--no-such-option").status, 0);
}

TEST(CitenormTest, CommandLineConventionsAndFailuresAreReported) {
    const CitenormRun version = RunCitenorm("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("citenorm ", 0), 0u) << version.out;
    // Options are spelled out, never guessed from a prefix.
    EXPECT_EQ(RunCitenorm("--js " + smarttag_test::NullDevice()).status, 2);
    const CitenormRun help = RunCitenorm("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos) << "out: " << help.out << "\nerr: " << help.err;

    const std::string input = WriteFile("citenorm_dir_run.txt", "410 U.S. 113\n");
    const CitenormRun directory = RunCitenorm(smarttag_test::ShellQuote(::testing::TempDir()) + " " + input);
    EXPECT_EQ(directory.status, 1);
    EXPECT_EQ(Lines(directory.out).size(), 1u);
    EXPECT_NE(directory.err.find("citenorm: "), std::string::npos) << directory.err;
}

#if !defined(_WIN32)
TEST(CitenormTest, OutputThatCannotBeWrittenFailsTheRun) {
    std::string many;
    for (int i = 0; i < 5000; ++i) many += "410 U.S. 113\n";
    const std::string input = WriteFile("citenorm_many.txt", many);
    const CitenormRun full = RunCitenorm(smarttag_test::ShellQuote(input) + " > /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_NE(full.err.find("cannot write"), std::string::npos) << full.err;
    // A reader that goes away early: the run stops with a write error, not
    // killed by a signal and not reported as a success.
    const CitenormRun closed =
        smarttag_test::RunCommand("( { " + smarttag_test::ShellQuote(CITENORM_PATH) + " " +
                                  smarttag_test::ShellQuote(input) + "; echo status $? >&2; } | head -c 1 >/dev/null )");
    EXPECT_NE(closed.err.find("status 1"), std::string::npos) << closed.err;
}
#endif

}  // namespace
