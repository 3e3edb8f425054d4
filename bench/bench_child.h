// Running one contender of a benchmark in a child process, so that its peak
// memory is its own: a child's ru_maxrss also counts what its parent held at
// the fork, so fork from the small benchmark process before it loads anything.
#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct Run {
    double seconds = 0;
    long peakKb = 0;
    bool ok = false;
};

// Runs work() in a child whose standard output goes to /dev/null; the child
// exits with what work() returns.
template <typename Work> Run runInChild(Work work) {
    Run run;
    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid < 0)
        return run;
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        _exit(work());
    }
    int status = 0;
    rusage usage = {};
    if (wait4(pid, &status, 0, &usage) != pid)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

// Runs a command (its program looked up in PATH).
inline Run runCommand(const std::vector<std::string>& args) {
    return runInChild([&] {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        return 127;
    });
}

template <typename T> T median(std::vector<T> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
