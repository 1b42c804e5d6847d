// citenorm: the citation normalizer on its own.
//
//   citenorm [--json] [--stats] [FILE...]
//
// Reads candidate citations, one per line, from the files (or standard input
// when none is given, or for "-"), and prints one line per input:
//
//   true|false <TAB> citation output <TAB> category output
//
// or, with --json, one object per line: {"input":…,"ok":…,"citation":…,"category":…}.
// --stats adds a summary on standard error: inputs, accepted, seconds spent
// normalizing and inputs per second.
//
// Each candidate goes through NormalizeCitation exactly as the citation
// recognizer hands it over: as 8-bit text in the ANSI code page, with an empty
// category. Lines are read as UTF-8 (a line that is not valid UTF-8 is taken
// as ANSI bytes as they stand) and results are written as UTF-8. A line ending
// in CR LF loses both; a last line without a line end is a candidate too.
//
// Exit status: 0; 1 when a file could not be read (the others are still
// processed); 2 for a bad command line.
#include <chrono>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <boost/program_options.hpp>
#include <nlohmann/json.hpp>

#include "normalizer/normalize_citation.h"
#include "platform/codepage.h"

namespace po = boost::program_options;
namespace platform = smarttag::platform;

namespace {

struct Options {
    std::vector<std::string> files;
    bool json = false;
    bool stats = false;
};

struct Totals {
    unsigned long inputs = 0;
    unsigned long accepted = 0;
    std::chrono::steady_clock::duration spent{};
};

// UTF-8 text as ANSI bytes; text that is not valid UTF-8 is kept as it is.
std::string ToAnsi(const std::string& line) {
    const platform::OleString wide = platform::Utf8ToWide(line);
    if (platform::WideToUtf8(wide) != line) return line;
    return platform::WideToAnsi(wide.data(), wide.size());
}

std::string ToUtf8(const std::string& ansi) { return platform::WideToUtf8(platform::AnsiToWide(ansi)); }

void Normalize(const std::string& line, const Options& options, Totals& totals, std::ostream& out) {
    std::string citation = ToAnsi(line);
    std::string category;
    const auto before = std::chrono::steady_clock::now();
    const bool ok = Veltra::Penwork::Recognizer::NormalizeCitation(citation, category);
    totals.spent += std::chrono::steady_clock::now() - before;
    ++totals.inputs;
    if (ok) ++totals.accepted;

    if (options.json) {
        nlohmann::ordered_json object;
        object["input"] = platform::WideToUtf8(platform::Utf8ToWide(line));
        object["ok"] = ok;
        object["citation"] = ToUtf8(citation);
        object["category"] = ToUtf8(category);
        out << object.dump() << '\n';
    } else {
        out << (ok ? "true" : "false") << '\t' << ToUtf8(citation) << '\t' << ToUtf8(category) << '\n';
    }
}

void NormalizeStream(std::istream& in, const Options& options, Totals& totals, std::ostream& out) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Normalize(line, options, totals, out);
    }
}

// Returns false when the program should stop with `exitCode`.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    po::options_description visible("citenorm [options] [FILE...]\n\nOptions");
    visible.add_options()
        ("help,h", "show this help")
        ("json", po::bool_switch(&options.json), "one JSON object per line (input, ok, citation, category)")
        ("stats", po::bool_switch(&options.stats), "summary on standard error");
    po::options_description all;
    all.add(visible).add_options()("file", po::value(&options.files));
    po::positional_options_description positional;
    positional.add("file", -1);

    po::variables_map vm;
    try {
        po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), vm);
        po::notify(vm);
    } catch (const po::error& e) {
        std::cerr << "citenorm: " << e.what() << "\n" << visible;
        exitCode = 2;
        return false;
    }
    if (vm.count("help")) {
        std::cout << visible;
        exitCode = 0;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int exitCode = 0;
    if (!ParseOptions(argc, argv, options, exitCode)) return exitCode;
    std::ios::sync_with_stdio(false);

    Totals totals;
    if (options.files.empty()) options.files.push_back("-");
    for (const std::string& file : options.files) {
        if (file == "-") {
            NormalizeStream(std::cin, options, totals, std::cout);
            continue;
        }
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::cerr << "citenorm: cannot read " << file << '\n';
            exitCode = 1;
            continue;
        }
        NormalizeStream(in, options, totals, std::cout);
    }
    std::cout.flush();

    if (options.stats) {
        const double seconds = std::chrono::duration<double>(totals.spent).count();
        std::cerr << "inputs: " << totals.inputs << '\n'
                  << "accepted: " << totals.accepted << '\n'
                  << "seconds: " << seconds << '\n'
                  << "inputs per second: "
                  << static_cast<unsigned long>(seconds > 0 ? double(totals.inputs) / seconds : 0.0) << '\n';
    }
    if (!std::cout) exitCode = 1;
    return exitCode;
}
