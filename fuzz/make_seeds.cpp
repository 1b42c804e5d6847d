// make_seeds: cuts the project's sample material into seed inputs for the
// fuzz targets, one file per input, named by a hash of its content (so the
// same input is written once).
//
//   make_seeds --tsv DIR FILE...         first field of each case line
//   make_seeds --paragraphs DIR FILE...  each paragraph (text between blank
//                                        lines, line ends turned into blanks)
//   make_seeds --files DIR FILE...       each file whole
//   make_seeds --concat DIR FILE...      all files together, as one input
//
// Case lines are the golden-file lines with a tab that are not comments.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool ReadFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string Name(const std::string& content) {
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (unsigned char c : content) hash = (hash ^ c) * 1099511628211ull;
    char name[17];
    std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
    return name;
}

bool Write(const fs::path& dir, const std::string& content) {
    std::ofstream out(dir / Name(content), std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> Cut(const std::string& mode, const std::string& text) {
    std::vector<std::string> inputs;
    if (mode == "--files") {
        inputs.push_back(text);
    } else if (mode == "--tsv") {
        for (const std::string& line : Lines(text)) {
            const auto tab = line.find('\t');
            if (tab == std::string::npos || (!line.empty() && line[0] == '#')) continue;
            inputs.push_back(line.substr(0, tab));
        }
    } else if (mode == "--paragraphs") {
        std::string paragraph;
        for (const std::string& line : Lines(text)) {
            if (line.find_first_not_of(" \t") == std::string::npos) {
                if (!paragraph.empty()) inputs.push_back(paragraph);
                paragraph.clear();
                continue;
            }
            if (!paragraph.empty()) paragraph += ' ';
            paragraph += line;
        }
        if (!paragraph.empty()) inputs.push_back(paragraph);
    }
    return inputs;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: make_seeds --tsv|--paragraphs|--files|--concat DIR FILE...\n");
        return 2;
    }
    const std::string mode = argv[1];
    if (mode != "--tsv" && mode != "--paragraphs" && mode != "--files" && mode != "--concat") {
        std::fprintf(stderr, "make_seeds: unknown mode %s\n", mode.c_str());
        return 2;
    }
    const fs::path dir = argv[2];
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        std::fprintf(stderr, "make_seeds: cannot create %s\n", argv[2]);
        return 1;
    }
    std::string all;
    for (int i = 3; i < argc; ++i) {
        std::string text;
        if (!ReadFile(argv[i], text)) {
            std::fprintf(stderr, "make_seeds: cannot read %s\n", argv[i]);
            return 1;
        }
        if (mode == "--concat") {
            all += text;
            continue;
        }
        for (const std::string& input : Cut(mode, text))
            if (!Write(dir, input)) return 1;
    }
    if (mode == "--concat" && !Write(dir, all)) return 1;
    return 0;
}
