#include "support/unprivileged.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

#ifndef _WIN32
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace verdan::test {

#ifdef _WIN32

void asUnprivileged(const std::vector<std::string>&, const std::function<void()>& body) {
    body();
}

#else

namespace {

constexpr int kSkipped = 4;

[[noreturn]] void childFails(const char* what) {
    std::fprintf(stderr, "cannot become an ordinary user: %s: %s\n", what, std::strerror(errno));
    std::fflush(stderr);
    ::_exit(3);
}

void giveAway(const std::string& folder, uid_t uid, gid_t gid) {
    namespace fs = std::filesystem;
    const fs::path top = pathFromUtf8(folder);
    if (::lchown(top.c_str(), uid, gid) != 0) childFails(folder.c_str());
    std::error_code ec;
    for (fs::recursive_directory_iterator it(top, ec), end; !ec && it != end; it.increment(ec))
        if (::lchown(it->path().c_str(), uid, gid) != 0) childFails(it->path().c_str());
    if (ec) childFails(folder.c_str());
}

} // namespace

void asUnprivileged(const std::vector<std::string>& owned, const std::function<void()>& body) {
    if (!runningAsRoot()) {
        body();
        return;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0) << "fork: " << std::strerror(errno);
    if (pid == 0) {
        uid_t uid = 65534;
        gid_t gid = 65534;
        if (const passwd* pw = ::getpwnam("nobody")) {
            uid = pw->pw_uid;
            gid = pw->pw_gid;
        }
        for (const std::string& folder : owned) giveAway(folder, uid, gid);
        if (::setgroups(0, nullptr) != 0) childFails("setgroups");
        if (::setresgid(gid, gid, gid) != 0) childFails("setresgid");
        if (::setresuid(uid, uid, uid) != 0) childFails("setresuid");
        if (::geteuid() == 0) childFails("still root");
        int code = 0;
        try {
            body();
            code = ::testing::Test::HasFailure() ? 1 : ::testing::Test::IsSkipped() ? kSkipped : 0;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "uncaught exception: %s\n", e.what());
            code = 2;
        } catch (...) {
            std::fprintf(stderr, "uncaught exception\n");
            code = 2;
        }
        // Never back into the test runner: the child would run the rest of the suite.
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(code);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == kSkipped) GTEST_SKIP() << "skipped as an ordinary user";
    const bool passed = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    EXPECT_TRUE(passed) << "the part run as an ordinary user failed (its messages are above); wait status "
                        << status;
}

#endif

} // namespace verdan::test
