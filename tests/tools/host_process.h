// Runs the smarttag-host program from tests, with files private to each run.
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

// Runs `command` through the shell with standard error captured apart.
inline HostRun RunCommand(const std::string& command) {
    const TempFile err("stderr.txt");
    HostRun run;
    FILE* pipe = popen((command + " 2>'" + err.path() + "'").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    run.status = ExitStatus(pclose(pipe));
    run.err = err.Read();
    return run;
}

inline HostRun RunHost(const std::string& arguments) {
    return RunCommand(std::string("'") + SMARTTAG_HOST_PATH + "' " + arguments);
}

// One parsed object per line of `out`.
inline std::vector<nlohmann::json> JsonLines(const std::string& out) {
    std::vector<nlohmann::json> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

}  // namespace smarttag_test
