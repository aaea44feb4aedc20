// saxolith-batch run as a child process, as a user runs it: its wall time, its exit code and the most
// memory it held, read from the running program.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace saxolith::bench
{

struct BatchRun {
    double seconds = 0.0;
    long peakKb = 0;
    int exitCode = -1;
};

// The most memory the batch program has held so far (VmHWM), in kB; 0 before it runs (the forked
// copy of this process before exec) and once it is gone.
inline long batchPeakResidentKb(pid_t process)
{
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Name:") && line.find("saxolith-batch") == std::string::npos) {
            return 0;
        }
        if (line.starts_with("VmHWM:")) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return 0;
}

// One run of `program` with `arguments` (after the program's name), its output thrown away.
inline BatchRun runBatchProgram(const char *program, std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "saxolith-batch");
    std::vector<char *> argv;
    for (std::string &argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    BatchRun run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, 1);
        ::dup2(quiet, 2);
        ::execv(program, argv.data());
        ::_exit(127);
    }
    // The child's own peak, read as it runs: its rusage would also count the pages it shared with this
    // process between fork and exec.
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) {
        run.peakKb = std::max(run.peakKb, batchPeakResidentKb(child));
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace saxolith::bench
