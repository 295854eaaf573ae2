// Window tests on a real X11 connection: a private Xvfb server is started for the run, so that
// what the window manager reads (titles, sizes on a given screen) is checked, not only Qt's view.
// VERDAN_XVFB_DISPLAY picks the display number (a free one otherwise), VERDAN_XVFB_SCREEN the
// screen (1366x768x24 by default).
#include <QApplication>
#include <gtest/gtest.h>

#include "app_setup.h"
#include "x11_session.h"

#include <cstdlib>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

X11Session g_session;

bool onPath(const std::string& program) {
    return std::system(("command -v " + program + " >/dev/null 2>&1").c_str()) == 0;
}

// Starts Xvfb and waits until it takes connections (it writes its display number then).
void startXvfb() {
    for (const char* tool : {"Xvfb", "xprop"}) {
        if (!onPath(tool)) {
            g_session.skipReason = std::string(tool) + " is not installed (Debian packages xvfb, x11-utils)";
            return;
        }
    }
    int ready[2];
    if (pipe(ready) != 0) {
        g_session.skipReason = "no pipe for Xvfb";
        return;
    }
    const std::string wanted = qEnvironmentVariable("VERDAN_XVFB_DISPLAY").toStdString();
    const std::string screen = qEnvironmentVariable("VERDAN_XVFB_SCREEN", "1366x768x24").toStdString();
    const pid_t pid = fork();
    if (pid == 0) {
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        std::string display = wanted.empty() ? std::string() : ":" + wanted;
        if (display.empty())
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
        else
            execlp("Xvfb", "Xvfb", display.c_str(), "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    std::string number;
    char c;
    while (read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    close(ready[0]);
    if (pid < 0 || number.empty()) {
        g_session.skipReason = "Xvfb did not start" + (wanted.empty() ? std::string() : " on :" + wanted);
        if (pid > 0) waitpid(pid, nullptr, 0);
        return;
    }
    g_session.pid = pid;
    g_session.display = ":" + number;
}

void stopXvfb() {
    if (g_session.pid <= 0) return;
    kill(g_session.pid, SIGTERM);
    waitpid(g_session.pid, nullptr, 0);
}

} // namespace

const X11Session& x11Session() {
    return g_session;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the tests (ctest's discovery) needs no server.
    if (!::testing::GTEST_FLAG(list_tests))
        startXvfb();
    else
        g_session.skipReason = "listing only";
    if (g_session.ready()) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        qputenv("DISPLAY", g_session.display.c_str());
    } else {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int result = 0;
    {
        QApplication app(argc, argv);
        setUpApplication();
        result = RUN_ALL_TESTS();
    }
    stopXvfb();
    return result;
}
