#include "support/peak_memory.h"

#include "platform/system.h"

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace verdan::test {
namespace {

// A "Vm...:" figure of /proc/self/status, in bytes; -1 when it is not there.
std::int64_t statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(field + ":", 0) == 0) return std::stoll(line.substr(field.size() + 1)) * 1024;
    return -1;
}

} // namespace

std::optional<Cost> costInChild(const std::function<void()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        ::close(fds[0]);
        // As the program does from its start, so that freed blocks are not counted again; and
        // what the parent freed goes back, lest the body reuse it unseen.
        platform::returnLargeBlocksWhenFreed();
        ::malloc_trim(0);
        // The peak starts again from what the child holds now (the parent's pages it shares).
        std::ofstream("/proc/self/clear_refs") << "5";
        const std::int64_t start = statusBytes("VmRSS");
        const auto began = std::chrono::steady_clock::now();
        try {
            body();
        } catch (...) {
            ::_exit(1);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        const std::int64_t peak = statusBytes("VmHWM");
        if (start < 0 || peak < 0) ::_exit(2);
        const Cost cost{peak - start, seconds};
        if (::write(fds[1], &cost, sizeof cost) != static_cast<ssize_t>(sizeof cost)) ::_exit(3);
        ::_exit(0);
    }
    ::close(fds[1]);
    Cost cost;
    const ssize_t got = ::read(fds[0], &cost, sizeof cost);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    if (got != static_cast<ssize_t>(sizeof cost) || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return cost;
}

} // namespace verdan::test
