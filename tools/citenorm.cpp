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
// Output is flushed per input file; a write error (full disk, closed pipe)
// stops the run with a message.
//
// Exit status: 0 when every file was read and all output written; 1 when a
// file could not be read (it is reported and the others are still processed)
// or when the output could not be written; 2 for a bad command line.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <boost/program_options.hpp>
#include <nlohmann/json.hpp>

#include "normalizer/normalize_citation.h"
#include "platform/codepage.h"
#include "smarttag/version.h"

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

// False when the output could not be written; `readError` is set when `in`
// failed before its end.
bool NormalizeStream(std::istream& in, const Options& options, Totals& totals, std::ostream& out,
                     bool& readError) {
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        Normalize(line, options, totals, out);
        if (!out) return false;
    }
    readError = in.bad();
    return bool(out.flush());
}

// Returns false when the program should stop with `exitCode`.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    po::options_description visible("citenorm [options] [FILE...]\n\nOptions");
    visible.add_options()
        ("help,h", "show this help")
        ("version", "show the version")
        ("json", po::bool_switch(&options.json), "one JSON object per line (input, ok, citation, category)")
        ("stats", po::bool_switch(&options.stats), "summary on standard error");
    po::options_description all;
    all.add(visible).add_options()("file", po::value(&options.files));
    po::positional_options_description positional;
    positional.add("file", -1);

    po::variables_map vm;
    try {
        const int style = po::command_line_style::default_style & ~po::command_line_style::allow_guessing;
        po::store(po::command_line_parser(argc, argv).options(all).positional(positional).style(style).run(), vm);
        po::notify(vm);
    } catch (const po::error& e) {
        std::cerr << "citenorm: " << e.what() << "\n" << visible;
        exitCode = 2;
        return false;
    }
    if (vm.count("help")) {
        std::cout << visible
                  << "\nExit status: 0 when every file was read and all output written; 1 when a file\n"
                     "could not be read (the others are still processed) or the output could not be\n"
                     "written; 2 for a bad command line.\n"
                  << std::flush;
        exitCode = std::cout ? 0 : 1;
        return false;
    }
    if (vm.count("version")) {
        std::cout << "citenorm " SMARTTAG_VERSION "\n" << std::flush;
        exitCode = std::cout ? 0 : 1;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
#if !defined(_WIN32)
    // A closed pipe is a write error like any other, reported and not fatal.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    Options options;
    int exitCode = 0;
    if (!ParseOptions(argc, argv, options, exitCode)) return exitCode;
    std::ios::sync_with_stdio(false);

    Totals totals;
    if (options.files.empty()) options.files.push_back("-");
    for (const std::string& file : options.files) {
        bool readError = false, written = true;
        std::error_code code;
        if (file == "-") {
            written = NormalizeStream(std::cin, options, totals, std::cout, readError);
        } else if (std::filesystem::is_directory(file, code)) {
            std::cerr << "citenorm: " << file << ": " << std::strerror(EISDIR) << '\n';
            exitCode = 1;
            continue;
        } else {
            std::ifstream in(file, std::ios::binary);
            if (!in) {
                std::cerr << "citenorm: cannot read " << file << '\n';
                exitCode = 1;
                continue;
            }
            written = NormalizeStream(in, options, totals, std::cout, readError);
        }
        if (!written) {
            std::cerr << "citenorm: cannot write the output: " << std::strerror(errno) << '\n';
            return 1;
        }
        if (readError) {
            std::cerr << "citenorm: cannot read " << file << '\n';
            exitCode = 1;
        }
    }

    if (options.stats) {
        const double seconds = std::chrono::duration<double>(totals.spent).count();
        std::cerr << "inputs: " << totals.inputs << '\n'
                  << "accepted: " << totals.accepted << '\n'
                  << "seconds: " << seconds << '\n'
                  << "inputs per second: "
                  << static_cast<unsigned long>(seconds > 0 ? double(totals.inputs) / seconds : 0.0) << '\n';
    }
    return exitCode;
}
