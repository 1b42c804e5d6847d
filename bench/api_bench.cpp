// smarttag::FindCitations over a set of documents, on one or more threads:
// the C++ side of bench/python_bench.py, which runs this program beside the
// Python module on the same documents and the same split between threads.
//
//   api_bench [--passes N] [--threads T] FILE...
//
// Each pass hands document i to thread i % T; every thread calls
// FindCitations on its documents in order. Prints one JSON object: the
// documents, their code points, the citations found, and the medians over
// the passes of the wall-clock time of a pass and of the processor time its
// threads used (CLOCK_THREAD_CPUTIME_ID, summed over the threads).
#include <time.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "smarttag/smarttag.h"

namespace {

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    int passes = 5, threads = 1;
    std::vector<std::string> documents;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--passes") && i + 1 < argc) {
            passes = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--threads") && i + 1 < argc) {
            threads = std::max(1, std::atoi(argv[++i]));
        } else {
            std::ifstream in(argv[i], std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "api_bench: cannot read %s\n", argv[i]);
                return 2;
            }
            std::ostringstream text;
            text << in.rdbuf();
            documents.push_back(text.str());
        }
    }
    if (documents.empty()) {
        std::fprintf(stderr, "usage: api_bench [--passes N] [--threads T] FILE...\n");
        return 2;
    }
    std::size_t chars = 0;
    for (const std::string& d : documents)
        for (unsigned char c : d) chars += (c & 0xC0) != 0x80;

    // The threads live for the whole run, as a Python thread pool's do, and
    // each tags a document before the timing starts: what the library keeps
    // per thread is built outside the passes.
    std::mutex mutex;
    std::condition_variable changed;
    int generation = 0, waiting = 0;
    auto barrier = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        const int mine = generation;
        if (++waiting == threads + 1) {
            waiting = 0;
            ++generation;
            changed.notify_all();
        } else {
            changed.wait(lock, [&] { return generation != mine; });
        }
    };
    std::vector<double> used(threads, 0);
    std::vector<std::size_t> found(threads, 0);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            smarttag::FindCitations(documents[t % documents.size()]);
            barrier();
            for (int pass = 0; pass < passes; ++pass) {
                barrier();
                const double begin = ThreadSeconds();
                std::size_t n = 0;
                for (std::size_t i = t; i < documents.size(); i += threads)
                    n += smarttag::FindCitations(documents[i]).size();
                used[t] = ThreadSeconds() - begin;
                found[t] = n;
                barrier();
            }
        });
    barrier();
    std::vector<double> wall, cpu;
    std::size_t citations = 0;
    for (int pass = 0; pass < passes; ++pass) {
        barrier();
        const auto start = std::chrono::steady_clock::now();
        barrier();
        wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        double total = 0;
        for (double u : used) total += u;
        cpu.push_back(total);
        citations = 0;
        for (std::size_t f : found) citations += f;
    }
    for (std::thread& worker : workers) worker.join();
    std::printf(
        "{\"threads\":%d,\"passes\":%d,\"documents\":%zu,\"chars\":%zu,\"citations\":%zu,"
        "\"wall_median_s\":%.6f,\"cpu_median_s\":%.6f}\n",
        threads, passes, documents.size(), chars, citations, Median(wall), Median(cpu));
    return 0;
}
