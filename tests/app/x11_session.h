#pragma once
#include <string>
#include <sys/types.h>

// The Xvfb server of the X11 window tests.
struct X11Session {
    pid_t pid = -1;
    std::string display;    // ":95"
    std::string skipReason; // why there is no server
    bool ready() const { return pid > 0; }
};

const X11Session& x11Session();

#define REQUIRE_X11()                                                                                        \
    do {                                                                                                     \
        if (!x11Session().ready()) GTEST_SKIP() << "no X11 server: " << x11Session().skipReason;             \
    } while (false)
