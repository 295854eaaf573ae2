#include "support/child_process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace verdan::test {

namespace {

constexpr const char* kNamespaceVariable = "VERDAN_TEST_MOUNT_NAMESPACE";

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

int run(std::vector<std::string> args, bool inNamespace) {
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (inNamespace) ::setenv(kNamespaceVariable, "1", 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return waitFor(pid);
}

std::string selfPath() {
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

} // namespace

std::optional<std::string> runAsNobody(const std::function<std::string()>& body) {
    int fds[2];
    if (::pipe(fds) != 0) return std::nullopt;
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        ::close(fds[0]);
        constexpr uid_t nobody = 65534;
        if (::setgroups(0, nullptr) != 0 && ::geteuid() == 0) ::_exit(2);
        if ((::getegid() != nobody && ::setgid(nobody) != 0) ||
            (::geteuid() != nobody && ::setuid(nobody) != 0))
            ::_exit(2);
        const std::string out = body();
        std::size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = ::write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0) ::_exit(3);
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0) break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    if (waitFor(pid) != 0) return std::nullopt;
    return out;
}

bool inMountNamespace() {
    const char* v = std::getenv(kNamespaceVariable);
    return v && std::string(v) == "1";
}

NamespaceRun runInMountNamespace() {
    std::fflush(nullptr);
    if (run({"unshare", "--mount", "--propagation", "private", "true"}, false) != 0)
        return NamespaceRun::Refused;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter = std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    const int status =
        run({"unshare", "--mount", "--propagation", "private", selfPath(), filter, "--gtest_color=no"}, true);
    if (status == kMountRefused) return NamespaceRun::Refused;
    return status == 0 ? NamespaceRun::Passed : NamespaceRun::Failed;
}

void refuseMounting(const std::string& why) {
    std::fprintf(stderr, "mounting refused: %s\n", why.c_str());
    std::fflush(nullptr);
    std::_Exit(kMountRefused);
}

} // namespace verdan::test
