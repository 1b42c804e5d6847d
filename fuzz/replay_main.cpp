// Replays saved inputs through a fuzz target without libFuzzer, so that the
// inputs kept under fuzz/corpus (and the seeds made at build time) run as
// ordinary regression tests with any compiler.
//
//   replay_<target> PATH...
//
// Each PATH is a file or a directory (walked recursively, in name order). A
// fault shows up the way it would under the fuzzer: a crash, an abort from a
// failed check, or a sanitizer report. Missing paths are an error, so a test
// cannot pass by replaying nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

bool Collect(const fs::path& path, std::vector<fs::path>& files) {
    std::error_code ec;
    if (fs::is_regular_file(path, ec)) {
        files.push_back(path);
        return true;
    }
    if (!fs::is_directory(path, ec)) return false;
    std::vector<fs::path> found;
    for (const auto& entry : fs::recursive_directory_iterator(path, ec))
        if (entry.is_regular_file()) found.push_back(entry.path());
    std::sort(found.begin(), found.end());
    files.insert(files.end(), found.begin(), found.end());
    return !ec;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FILE_OR_DIRECTORY...\n", argv[0]);
        return 2;
    }
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (!Collect(argv[i], files)) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[i]);
            return 2;
        }
    }
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.eof() && in.fail()) {
            std::fprintf(stderr, "%s: cannot read %s\n", argv[0], file.string().c_str());
            return 2;
        }
        // A fresh copy of exactly the input's size, so that reading past its
        // end is caught by the address sanitizer as it would be by the fuzzer.
        std::vector<uint8_t> copy(bytes.begin(), bytes.end());
        static const uint8_t kNothing = 0;
        LLVMFuzzerTestOneInput(copy.empty() ? &kNothing : copy.data(), copy.size());
    }
    std::printf("%s: %zu inputs replayed\n", argv[0], files.size());
    return 0;
}
