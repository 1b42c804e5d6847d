// smarttag-host --format jsonl on every bundled example document gives the
// output checked in beside it (examples/NAME.expected.jsonl for NAME.txt).
// After a deliberate change, regenerate from the repository root with
//   build/bin/smarttag-host --format jsonl examples/NAME.txt > examples/NAME.expected.jsonl
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/tools/host_process.h"

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Runs the host from the repository root, so that the file names it prints
// are the relative ones in the expected output.
std::string RunHost(const std::string& document, int& status) {
    namespace fs = std::filesystem;
    const fs::path before = fs::current_path();
    fs::current_path(SMARTTAG_SOURCE_DIR);
    const smarttag_test::HostRun run = smarttag_test::RunHost("--format jsonl " + smarttag_test::ShellQuote(document));
    fs::current_path(before);
    status = run.status;
    return run.out;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ExamplesTest, HostOutputMatchesTheCheckedInOutput) {
    namespace fs = std::filesystem;
    const fs::path examples = fs::path(SMARTTAG_SOURCE_DIR) / "examples";
    int compared = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(examples)) {
        const std::string name = entry.path().filename().string();
        const std::string suffix = ".expected.jsonl";
        if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
            continue;
        const std::string document = "examples/" + name.substr(0, name.size() - suffix.size()) + ".txt";
        SCOPED_TRACE(document);
        int status = -1;
        const std::vector<std::string> actual = Lines(RunHost(document, status));
        const std::vector<std::string> expected = Lines(ReadAll(entry.path().string()));
        EXPECT_EQ(status, 0);
        for (std::size_t i = 0; i < std::max(actual.size(), expected.size()); ++i) {
            EXPECT_EQ(i < actual.size() ? actual[i] : "(missing)", i < expected.size() ? expected[i] : "(extra)")
                << "line " << i + 1;
        }
        ++compared;
    }
    EXPECT_GE(compared, 2);
}

}  // namespace
