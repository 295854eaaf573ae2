#pragma once
// Tests that need another user or a mount namespace of their own run part of themselves in a
// child process. Linux only.
#include <functional>
#include <optional>
#include <string>

namespace verdan::test {

// Runs `body` in a forked child under the unprivileged user "nobody" (CI runs as root, which
// reads every file) and returns what it returned; nothing when the child could not be made or
// did not finish.
std::optional<std::string> runAsNobody(const std::function<std::string()>& body);

// True inside the private mount namespace that runInMountNamespace made.
bool inMountNamespace();

enum class NamespaceRun { Passed, Failed, Refused };
// Runs the current test again in a new process with a private mount namespace (unshare -m
// --propagation private), where it can mount images, tmpfs and bind mounts without touching the
// machine. The child's output goes to this test's output. Refused when no namespace can be made.
NamespaceRun runInMountNamespace();

// Inside the namespace: the child gives up on a test that cannot mount, with this exit status.
inline constexpr int kMountRefused = 77;
[[noreturn]] void refuseMounting(const std::string& why);

} // namespace verdan::test

// Opens a test that mounts: outside the namespace it runs itself inside one and ends with the
// child's verdict; inside it goes on.
#define VERDAN_IN_MOUNT_NAMESPACE()                                                                          \
    if (!::verdan::test::inMountNamespace()) {                                                               \
        switch (::verdan::test::runInMountNamespace()) {                                                     \
        case ::verdan::test::NamespaceRun::Refused:                                                          \
            GTEST_SKIP() << "no private mount namespace or mounting refused here (needs root and "           \
                            "unshare -m); see the child's output";                                           \
        case ::verdan::test::NamespaceRun::Failed:                                                           \
            FAIL() << "failed in its private mount namespace: see the child's output above";                 \
        case ::verdan::test::NamespaceRun::Passed:                                                           \
            return;                                                                                          \
        }                                                                                                    \
    }
