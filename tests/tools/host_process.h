// Runs the smarttag-host program (or another of the tools) from tests, with
// files private to each run, through the shell on Linux and Windows alike.
//
// Every name a test gets from TempFile is unique to the process and the call,
// so tests may run in parallel, also from several build directories at once.
#pragma once

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace smarttag_test {

inline long ProcessId() {
#if defined(_WIN32)
    return long(_getpid());
#else
    return long(getpid());
#endif
}

// A file under the test temporary directory, removed when it goes out of scope.
class TempFile {
public:
    explicit TempFile(const std::string& name, const std::string& contents = std::string()) {
        static std::atomic<int> counter{0};
        path_ = ::testing::TempDir() + "smarttag_" + std::to_string(ProcessId()) + "_" +
                std::to_string(counter++) + "_" + name;
        std::ofstream(path_, std::ios::binary) << contents;
    }
    ~TempFile() { std::remove(path_.c_str()); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const std::string& path() const { return path_; }
    std::string Read() const {
        std::ifstream in(path_, std::ios::binary);
        std::ostringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }

private:
    std::string path_;
};

struct HostRun {
    int status = -1;  // the exit status, -1 when the program did not exit normally
    std::string out, err;
};

inline int ExitStatus(int waitStatus) {
#if defined(_WIN32)
    return waitStatus;
#else
    return waitStatus != -1 && WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
#endif
}

// `argument` as one word for the shell that popen runs: sh here, cmd.exe on
// Windows (which takes | < > & literally between double quotes; arguments
// with double quotes of their own are not needed by the tests). A program's
// start-up code on Windows reads backslashes before a quote as escapes, so
// trailing ones (a folder name) are doubled.
inline std::string ShellQuote(const std::string& argument) {
#if defined(_WIN32)
    const std::string::size_type kept = argument.find_last_not_of('\\') + 1;
    return "\"" + argument + argument.substr(kept) + "\"";
#else
    std::string quoted = "'";
    for (char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
#endif
}

inline bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The shell's name for a file that swallows what is written to it.
inline std::string NullDevice() {
#if defined(_WIN32)
    return "NUL";
#else
    return "/dev/null";
#endif
}

// Programs on Windows write their text streams with CRLF line ends; the
// tests compare LF ones.
inline std::string WithLfLineEnds(std::string text) {
#if defined(_WIN32)
    std::string::size_type at = 0;
    while ((at = text.find("\r\n", at)) != std::string::npos) text.erase(at, 1), ++at;
#endif
    return text;
}

// Runs `command` through the shell with standard error captured apart.
inline HostRun RunCommand(const std::string& command) {
    const TempFile err("stderr.txt");
#if defined(_WIN32)
    // cmd.exe /c drops the first and the last quote of a command that starts
    // with one; a pair around the whole command keeps the rest as written.
    FILE* pipe = _popen(("\"" + command + " 2>" + ShellQuote(err.path()) + "\"").c_str(), "rb");
#else
    FILE* pipe = popen((command + " 2>" + ShellQuote(err.path())).c_str(), "r");
#endif
    HostRun run;
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
#if defined(_WIN32)
    run.status = ExitStatus(_pclose(pipe));
#else
    run.status = ExitStatus(pclose(pipe));
#endif
    run.out = WithLfLineEnds(run.out);
    run.err = WithLfLineEnds(err.Read());
    return run;
}

// `program` with `arguments`, which are already quoted where need be.
inline HostRun RunProgram(const std::string& program, const std::string& arguments) {
    std::string native = program;
#if defined(_WIN32)
    for (char& c : native)
        if (c == '/') c = '\\';
#endif
    return RunCommand(ShellQuote(native) + " " + arguments);
}

#if defined(SMARTTAG_HOST_PATH)
inline HostRun RunHost(const std::string& arguments) { return RunProgram(SMARTTAG_HOST_PATH, arguments); }
#endif

// One parsed object per line of `out`.
inline std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

}  // namespace smarttag_test
