// smarttag-host on collections: JSON Lines in and out with document ids and
// offsets, error records in place of bad documents, ordered parallel output,
// and write errors that fail the run.
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/tools/host_process.h"

namespace {

namespace fs = std::filesystem;
using smarttag_test::HostRun;
using smarttag_test::JsonLines;
using smarttag_test::RunHost;
using smarttag_test::Contains;
using smarttag_test::ShellQuote;
using smarttag_test::TempFile;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

struct Example {
    std::string name, text;
    std::vector<nlohmann::json> expected;  // the checked-in records
};

std::vector<Example> Examples() {
    std::vector<Example> examples;
    for (const auto& entry : fs::directory_iterator(fs::path(SMARTTAG_SOURCE_DIR) / "examples")) {
        const fs::path path = entry.path();
        if (path.extension() != ".txt") continue;
        fs::path expected = path;
        expected.replace_extension(".expected.jsonl");
        if (!fs::exists(expected)) continue;
        examples.push_back({path.stem().string(), ReadAll(path), JsonLines(ReadAll(expected))});
    }
    return examples;
}

// The document's bytes at a record's offsets, line breaks read as the
// paragraph's joining blanks.
std::string AtOffsets(const std::string& document, const nlohmann::json& record) {
    std::string text = document.substr(record["byte_start"].get<std::size_t>(), record["byte_length"].get<std::size_t>());
    std::string joined;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        joined += text[i] == '\n' ? ' ' : text[i];
    }
    return joined;
}

std::size_t CodePoints(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;
    return count;
}

TEST(HostStreamingTest, JsonLinesRoundTripOnTheExamplesKeepsIdsTagsAndOffsets) {
    const std::vector<Example> examples = Examples();
    ASSERT_FALSE(examples.empty());
    std::string input;
    for (const Example& example : examples)
        input += nlohmann::json({{"doc", example.name}, {"body", example.text}}).dump() + "\n";
    const TempFile file("examples.jsonl", input);

    const HostRun run =
        RunHost("--input jsonl --id-field doc --text-field body --format jsonl - < " + ShellQuote(file.path()));
    EXPECT_EQ(run.status, 0) << run.err;
    std::map<std::string, std::vector<nlohmann::json>> byId;
    for (const auto& record : JsonLines(run.out)) byId[record.at("id").get<std::string>()].push_back(record);

    for (const Example& example : examples) {
        const auto& records = byId[example.name];
        ASSERT_EQ(records.size(), example.expected.size()) << example.name;
        for (std::size_t i = 0; i < records.size(); ++i) {
            const auto& record = records[i];
            const auto& expected = example.expected[i];
            EXPECT_FALSE(record.contains("file"));
            for (const char* member : {"paragraph", "name", "start", "length", "text", "properties"})
                EXPECT_EQ(record[member], expected[member]) << example.name << " " << i << " " << member;
            // The offsets find the tag in the document as a Python user
            // slicing its bytes or its code points would.
            EXPECT_EQ(AtOffsets(example.text, record), record["text"]) << example.name << " " << i;
            const std::size_t byteStart = record["byte_start"];
            EXPECT_EQ(record["char_start"], CodePoints(example.text.substr(0, byteStart)));
            EXPECT_EQ(record["char_length"],
                      CodePoints(example.text.substr(byteStart, record["byte_length"].get<std::size_t>())));
        }
    }

    // A plain file with --offsets gives the same offsets, counted from the
    // start of the file with its byte-order mark.
    const Example& first = examples.front();
    const TempFile marked("marked.txt", "\xEF\xBB\xBF" + first.text);
    const auto plain = JsonLines(RunHost("--format jsonl --offsets " + ShellQuote(marked.path())).out);
    const auto& records = byId[first.name];
    ASSERT_EQ(plain.size(), records.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_EQ(plain[i]["file"], marked.path());
        EXPECT_EQ(plain[i]["byte_start"], records[i]["byte_start"].get<std::size_t>() + 3);
        EXPECT_EQ(plain[i]["char_start"], records[i]["char_start"].get<std::size_t>() + 1);
        EXPECT_EQ(plain[i]["byte_length"], records[i]["byte_length"]);
    }
}

// Good documents around each kind of bad one.
std::string MixedInput() {
    const std::string good = R"({"id":"good","text":"IBM US Equity\n\nRoe v. Wade, 410 U.S. 113 (1973)."})";
    std::string input;
    const std::vector<std::string> bad = {
        std::string(R"({"id":"raw","text":"IBM US Equity )") + "\xC3\x28" + "\"}",
        R"({"id":"nul","text":"IBM US Equity\u0000"})",
        R"({"id":"surrogate","text":"IBM US Equity \ud800"})",
        R"({"id":"cut","text":"IBM US)",
        R"({"id":"no text"})",
        R"({"id":7,"text":3})",
        R"(["IBM US Equity"])",
        "",
    };
    for (std::size_t i = 0; i < bad.size(); ++i) input += good + "\n" + bad[i] + "\n";
    return input + good + "\r\n";
}

TEST(HostStreamingTest, BadDocumentsGiveErrorRecordsInPlaceAndTheOthersAreAllThere) {
    const TempFile file("mixed.jsonl", MixedInput());
    const HostRun run = RunHost("--input jsonl --format jsonl " + ShellQuote(file.path()));
    EXPECT_EQ(run.status, 1);
    const auto records = JsonLines(run.out);
    // Each good document gives two tags; each bad one, one error record.
    // A line that is not JSON has no id to read: it is named FILE:LINE.
    const std::vector<std::string> errors = {file.path() + ":2", "nul",          file.path() + ":6", file.path() + ":8",
                                             "no text",          "",             "",                 ""};
    ASSERT_EQ(records.size(), 9 * 2 + errors.size()) << run.out;
    for (std::size_t i = 0; i < errors.size(); ++i) {
        const auto& error = records[i * 3 + 2];
        ASSERT_TRUE(error.contains("error")) << error;
        EXPECT_FALSE(error.contains("name"));
        EXPECT_EQ(records[i * 3]["id"], "good");
        EXPECT_EQ(records[i * 3 + 1]["id"], "good");
        if (!errors[i].empty()) {
            EXPECT_EQ(error["id"], errors[i]) << i;
        }
        EXPECT_TRUE(Contains(run.err, error["error"].get<std::string>())) << error;
    }
    EXPECT_EQ(records[5 * 3 + 2]["id"], 7);
    EXPECT_EQ(records[7 * 3 + 2]["id"], file.path() + ":16");
    EXPECT_EQ(records.back()["id"], "good");
    EXPECT_TRUE(Contains(records[1 * 3 + 2]["error"].get<std::string>(), "NUL")) << records[5];
}

TEST(HostStreamingTest, ParallelOutputIsByteForByteTheSerialOne) {
    std::string input;
    for (int round = 0; round < 20; ++round) {
        for (const Example& example : Examples())
            input += nlohmann::json({{"id", example.name + std::to_string(round)}, {"text", example.text}}).dump() +
                     "\n";
        if (round % 7 == 3) input += "{not json}\n";
    }
    const TempFile file("parallel.jsonl", input);
    const HostRun serial = RunHost("--input jsonl --format jsonl --verbs " + ShellQuote(file.path()));
    const HostRun parallel = RunHost("--jobs 3 --input jsonl --format jsonl --verbs " + ShellQuote(file.path()));
    EXPECT_EQ(serial.status, 1);
    EXPECT_EQ(parallel.status, 1);
    EXPECT_GT(serial.out.size(), 10000u);
    EXPECT_EQ(parallel.out, serial.out);
    EXPECT_EQ(parallel.err, serial.err);

    const TempFile a("a.txt", Examples().front().text);
    const std::string files = ShellQuote(a.path()) + " " + ShellQuote(file.path()) + " " + ShellQuote(a.path());
    const HostRun table = RunHost(files);
    EXPECT_EQ(RunHost("--jobs 2 " + files).out, table.out);
}

#if !defined(_WIN32)
TEST(HostStreamingTest, OutputThatCannotBeWrittenFailsTheRun) {
    const TempFile document("full.txt", "IBM US Equity\n");
    const HostRun full = RunHost(ShellQuote(document.path()) + " --format jsonl > /dev/full");
    EXPECT_EQ(full.status, 1);
    EXPECT_TRUE(Contains(full.err, "cannot write the output")) << full.err;
    EXPECT_EQ(RunHost(ShellQuote(document.path()) + " > /dev/full").status, 1);
    EXPECT_EQ(RunHost("--jobs 2 " + ShellQuote(document.path()) + " > /dev/full").status, 1);

    std::string many;
    for (int i = 0; i < 3000; ++i) many += R"({"id":)" + std::to_string(i) + R"(,"text":"IBM US Equity"})" + "\n";
    const TempFile lines("closed.jsonl", many);
    const HostRun closed = smarttag_test::RunCommand(
        "( { " + ShellQuote(SMARTTAG_HOST_PATH) + " --input jsonl --format jsonl " + ShellQuote(lines.path()) +
        "; echo status $? >&2; } | head -c 1 >/dev/null )");
    EXPECT_TRUE(Contains(closed.err, "status 1")) << closed.err;
    EXPECT_TRUE(Contains(closed.err, "cannot write the output")) << closed.err;
}

TEST(HostStreamingTest, TwoProcessesWritingOnePipeGiveOnlyWholeLines) {
    std::string input;
    for (int i = 0; i < 400; ++i)
        for (const Example& example : Examples())
            input += nlohmann::json({{"id", i}, {"text", example.text}}).dump() + "\n";
    const TempFile file("pipe.jsonl", input);
    const std::string host = ShellQuote(SMARTTAG_HOST_PATH) + " --input jsonl --format jsonl " + ShellQuote(file.path());
    const HostRun one = RunHost("--input jsonl --format jsonl " + ShellQuote(file.path()));
    const HostRun both = smarttag_test::RunCommand("( " + host + " & " + host + " & wait ) | cat");
    std::size_t lines = 0;
    std::istringstream in(both.out);
    for (std::string line; std::getline(in, line); ++lines)
        ASSERT_TRUE(nlohmann::json::accept(line)) << "line " << lines << ": " << line.substr(0, 200);
    EXPECT_EQ(lines, 2 * JsonLines(one.out).size());
}
#endif

TEST(HostStreamingTest, CommandLineConventions) {
#if defined(_WIN32)
    GTEST_SKIP() << "the option values with '|' and empty ones do not pass through cmd.exe as the test quotes them";
#endif
    const TempFile document("conventions.txt", "IBM US Equity\n");
    const HostRun version = RunHost("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("smarttag-host ", 0), 0u) << version.out;

    const std::string path = ShellQuote(document.path());
    for (const char* arguments : {"--form jsonl", "--sector-verbs abc", "--sector-verbs '1|'", "--sector-verbs '|DES'",
                                  "--sector-verbs '1|DES||GP'", "--sectors=", "--sectors ,,", "--input xml",
                                  "--jobs 0", "--jobs 2 --invoke DES"}) {
        const HostRun run = RunHost(std::string(arguments) + " " + path);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_TRUE(run.out.empty()) << arguments;
        EXPECT_TRUE(Contains(run.err, "smarttag-host: ")) << arguments;
    }
    EXPECT_TRUE(Contains(RunHost("--sectors= " + path).err, "--sectors")) ;
    EXPECT_EQ(RunHost("--sector-verbs '2|DES' " + path).status, 0);

    // Standard input is "-", one document of plain text.
    const HostRun piped = RunHost("--format jsonl - < " + path);
    EXPECT_EQ(piped.status, 0);
    const auto records = JsonLines(piped.out);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["file"], "-");
    EXPECT_FALSE(records[0].contains("byte_start"));
}

}  // namespace
