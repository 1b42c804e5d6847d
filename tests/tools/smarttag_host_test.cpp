// Runs the smarttag-host program on small documents and checks what it prints.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <pty.h>
#include <thread>
#endif

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/tools/host_process.h"

namespace {

using smarttag_test::Contains;
using smarttag_test::HostRun;
using smarttag_test::JsonLines;
using smarttag_test::RunHost;
using smarttag_test::TempFile;

TEST(SmarttagHostTest, ParagraphsAreJoinedLinesAndOffsetsAreUtf16) {
    // Paragraph 2 spans two CRLF lines; paragraph 3 holds a character outside
    // the BMP (two UTF-16 units); blank-looking lines separate paragraphs.
    const TempFile document("host_doc.txt",
                            "Intro text.\n\nIBM\r\nUS Equity\r\n \t\n\xF0\x9F\x98\x80X US Fund\n\n"
                            "Not a security\n");
    const HostRun run = RunHost("--format jsonl " + document.path());
    EXPECT_EQ(run.status, 0);
    const auto lines = JsonLines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;

    EXPECT_EQ(lines[0]["file"], document.path());
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

TEST(SmarttagHostTest, OptionsAndUsageErrors) {
    const TempFile document("host_sectors.txt", "T 2 05/15/30 Govt\n\nIBM US Equity\n");
    const auto lines = JsonLines(RunHost("--format jsonl --sectors Govt --prefix p: " + document.path()).out);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["name"], "p:Govt");

    const HostRun table = RunHost(document.path());
    EXPECT_TRUE(Contains(table.out, "urn:veltra:smarttags#Equity")) << table.out;
    EXPECT_TRUE(Contains(table.out, "1 tag")) << table.out;

    for (const char* arguments : {"--format xml", "--no-such-option", "--invoke", ""}) {
        const HostRun run = RunHost(std::string(arguments) + (*arguments == '-' ? " " + document.path() : ""));
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_TRUE(run.out.empty()) << arguments;
        EXPECT_TRUE(Contains(run.err, "smarttag-host: ")) << arguments;
    }

    const HostRun help = RunHost("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* option :
         {"--help", "--format", "--sectors", "--prefix", "--sector-verbs", "--verbs", "--invoke", "--no-progress"})
        EXPECT_TRUE(Contains(help.out, option)) << option;
    EXPECT_TRUE(Contains(help.out, "Exit status"));
}

TEST(SmarttagHostTest, FilesThatAreNotReadableTextAreReportedAndTheOthersStillPrinted) {
    const TempFile good("good.txt", "IBM US Equity\n");
    const TempFile nul("nul.txt", std::string("IBM US Equity\n\nabc\0def\n", 23));
    const TempFile ansi("ansi.txt", "VOD LN Equity\n\nSmith\x92s note\n");
    const TempFile utf16("utf16.txt", std::string("\xFF\xFEI\0B\0M\0", 8));
    const TempFile empty("empty.txt");
    const std::string missing = good.path() + ".missing";
    const std::string directory = ::testing::TempDir();

    const HostRun run = RunHost("--format jsonl " + good.path() + " " + nul.path() + " " + missing + " " +
                                ansi.path() + " " + smarttag_test::ShellQuote(directory) + " " + utf16.path() + " " + empty.path() + " " +
                                good.path());
    EXPECT_EQ(run.status, 1);
    // The good file's tags, once for each time it was named, and one error
    // record for each rejected file in its place: nothing else of a rejected
    // file is printed, not even the tags before its fault.
    const auto lines = JsonLines(run.out);
    const std::vector<std::string> order = {good.path(), nul.path(),   missing,    ansi.path(),
                                            directory,   utf16.path(), good.path()};
    ASSERT_EQ(lines.size(), order.size()) << run.out;
    for (std::size_t i = 0; i < order.size(); ++i) {
        EXPECT_EQ(lines[i]["file"], order[i]) << i;
        const bool bad = i != 0 && i + 1 != order.size();
        EXPECT_EQ(lines[i].contains("error"), bad) << i;
        EXPECT_EQ(lines[i].contains("name"), !bad) << i;
        if (bad) {
            EXPECT_TRUE(Contains(run.err, order[i] + ": " + lines[i]["error"].get<std::string>())) << i;
        }
    }

    EXPECT_TRUE(Contains(run.err, nul.path() + ": not text (NUL byte at line 3, byte 4)")) << run.err;
    EXPECT_TRUE(Contains(run.err, missing + ": No such file or directory")) << run.err;
    EXPECT_TRUE(Contains(run.err, ansi.path() + ": not UTF-8 text (byte 0x92 at line 3, byte 6 ")) << run.err;
#if defined(_WIN32)
    // Windows refuses to open a folder as a file with "access denied", where
    // the host does not name the folder itself.
    EXPECT_TRUE(Contains(run.err, directory + ": Permission denied") ||
                Contains(run.err, directory + ": Is a directory"))
        << run.err;
#else
    EXPECT_TRUE(Contains(run.err, directory + ": Is a directory")) << run.err;
#endif
    EXPECT_TRUE(Contains(run.err, utf16.path() + ": not UTF-8 text (UTF-16")) << run.err;
    EXPECT_FALSE(Contains(run.err, empty.path())) << run.err;
}

TEST(SmarttagHostTest, Utf8IsCheckedSequenceBySequence) {
    struct Case {
        const char* bytes;
        bool text;
    };
    const Case cases[] = {
        {"\xC2\x80 \xDF\xBF", true},                                  // U+0080, U+07FF
        {"\xE0\xA0\x80 \xED\x9F\xBF \xEE\x80\x80 \xEF\xBF\xBF", true},  // U+0800, U+D7FF, U+E000, U+FFFF
        {"\xF0\x90\x80\x80 \xF4\x8F\xBF\xBF", true},                  // U+10000, U+10FFFF
        {"\xC0\xAF", false},                                          // overlong '/'
        {"\xE0\x9F\xBF", false},                                      // overlong U+07FF
        {"\xF0\x8F\xBF\xBF", false},                                  // overlong U+FFFF
        {"\xED\xA0\x80", false},                                      // a UTF-16 surrogate
        {"\xF4\x90\x80\x80", false},                                  // past U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\x80", false},                                              // stray continuation byte
        {"\xC2x", false},                                             // sequence cut short
        {"\xE2\x82", false},                                          // cut short by the end of the file
    };
    // One run over all of them: more than ten files, but standard error is
    // not a terminal, so no progress line may appear among the messages.
    std::vector<std::unique_ptr<TempFile>> files;
    std::string arguments = "--format jsonl";
    for (const Case& c : cases) {
        files.push_back(std::make_unique<TempFile>("utf8.txt", std::string("IBM US Equity\n\nx ") + c.bytes));
        arguments += " " + files.back()->path();
    }
    // A byte-order mark is not part of the first paragraph.
    const TempFile marked("utf8_bom.txt", "\xEF\xBB\xBFIBM US Equity\n");
    arguments += " " + marked.path();

    const HostRun run = RunHost(arguments);
    EXPECT_EQ(run.status, 1);
    const auto lines = JsonLines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back()["file"], marked.path());
    EXPECT_EQ(lines.back()["length"], 13);
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i]->path();
        int tags = 0;
        for (const auto& line : lines) tags += line["file"] == path && !line.contains("error");
        EXPECT_EQ(tags, cases[i].text ? 1 : 0) << "case " << i;
        EXPECT_EQ(Contains(run.err, path + ": not UTF-8 text (byte "), !cases[i].text) << "case " << i;
        if (!cases[i].text) {
            EXPECT_TRUE(Contains(run.err, path + ": not UTF-8 text (byte 0x")) << "case " << i;
        }
    }
    EXPECT_TRUE(Contains(run.err, " at line 3, byte 3 ")) << run.err;
    EXPECT_FALSE(Contains(run.err, "\r")) << run.err;
}

#if !defined(_WIN32)
// What the host writes to standard error when standard error is a terminal;
// standard output goes to `out`.
std::string TerminalStderr(const std::string& arguments, const TempFile& out) {
    int master = -1, slave = -1;
    if (openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "(no terminal)";
    const std::string terminal = ttyname(slave);
    std::string received;
    std::thread reader([&] {
        char buffer[4096];
        ssize_t n;
        while ((n = read(master, buffer, sizeof buffer)) > 0) received.append(buffer, std::size_t(n));
    });
    const std::string command = std::string("'") + SMARTTAG_HOST_PATH + "' " + arguments + " >'" + out.path() +
                                "' 2>'" + terminal + "'";
    EXPECT_EQ(smarttag_test::ExitStatus(std::system(command.c_str())), 0);
    close(slave);  // the reader sees the end once no one has the terminal open
    reader.join();
    close(master);
    return received;
}
#endif

TEST(SmarttagHostTest, ProgressLineOnlyOnATerminalForManyOrLargeFiles) {
#if defined(_WIN32)
    GTEST_SKIP() << "needs a pseudo-terminal as standard error (openpty); Windows has none to hand to a program";
#else
    std::vector<std::unique_ptr<TempFile>> files;
    std::string many = "--format jsonl";
    for (int i = 0; i < 10; ++i) {
        files.push_back(std::make_unique<TempFile>("progress.txt", "IBM US Equity\n"));
        many += " " + files.back()->path();
    }
    const TempFile out("progress_out.jsonl");

    const std::string shown = TerminalStderr(many, out);
    EXPECT_TRUE(Contains(shown, "\rsmarttag-host: file 1 of 10, ")) << shown;
    // Erased at the end, before anything is printed.
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown.substr(shown.size() - 4), "\r\033[K");
    // Standard output is the same as without a terminal.
    const HostRun plain = RunHost(many);
    EXPECT_EQ(out.Read(), plain.out);
    EXPECT_EQ(JsonLines(plain.out).size(), 10u);
    const std::string line = "smarttag-host: file ";
    EXPECT_FALSE(Contains(plain.err, line)) << plain.err;

    EXPECT_FALSE(Contains(TerminalStderr("--no-progress " + many, out), line));
    EXPECT_FALSE(Contains(TerminalStderr(files[0]->path() + " " + files[1]->path(), out), line));

    // One file of a mebibyte is enough.
    std::string large;
    while (large.size() < (1u << 20)) large += "A paragraph of plain words without anything to tag.\n\n";
    const TempFile big("progress_big.txt", large);
    EXPECT_TRUE(Contains(TerminalStderr(big.path(), out), line + "1 of 1, "));
#endif
}

// --catalogue: the bundled update by default, a file of the host's own, or
// none for the built-in catalogue alone; a bad file stops the program before
// anything is recognized.
TEST(SmarttagHostTest, CatalogueUpdateOption) {
    const TempFile document("host_catalogue.txt", "See 598 U.S. 1 and 100 N.E.3d 5.\n");
    const auto citations = [&](const std::string& options) {
        std::vector<std::string> found;
        const HostRun run = RunHost("--format jsonl " + options + document.path());
        EXPECT_EQ(run.status, 0) << options << run.err;
        for (const auto& line : JsonLines(run.out)) found.push_back(line["properties"]["Citation"]);
        return found;
    };
    EXPECT_EQ(citations(""), (std::vector<std::string>{"598 us 1", "100 north eastern 3d 5"}));
    EXPECT_EQ(citations("--catalogue none "), std::vector<std::string>{});

    const std::string header = "name\thighest_volume\tcategory\tas_of\tsource\n";
    const TempFile own("host_catalogue.tsv", header + "us\t599\tUSReport\t2024-01-01\ta test\n");
    EXPECT_EQ(citations("--catalogue " + smarttag_test::ShellQuote(own.path()) + " "),
              std::vector<std::string>{"598 us 1"});

    const TempFile bad("host_catalogue_bad.tsv",
                       header + "us\t599\tUSReport\t2024-01-01\ta test\nf 4th\t86\tFederal\t2024-01-01\tx\n");
    for (const std::string& path : {bad.path(), bad.path() + ".missing"}) {
        const HostRun run = RunHost("--format jsonl --catalogue " + smarttag_test::ShellQuote(path) + " " +
                                    document.path());
        EXPECT_EQ(run.status, 2) << path;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_TRUE(Contains(run.err, "smarttag-host: --catalogue: " + path + (path == bad.path() ? ":3: " : ": ")))
            << run.err;
    }
    EXPECT_TRUE(Contains(RunHost("--help").out, "--catalogue"));
}

}  // namespace
