#pragma once
#include <exception>
#include <system_error>
#include <thread>

#include "platform/threads.h"

namespace verdan {

// Runs `side` on a second thread while `main` runs on this one, for two steps that only read what
// they share. Returns once both have ended; a failure of either is thrown then, `main`'s first.
// Without a thread to be had, both run here.
template <class Side, class Main> void runBeside(Side&& side, Main&& main) {
    std::exception_ptr sideFailure;
    const auto sideStep = [&] {
        try {
            side();
        } catch (...) {
            sideFailure = std::current_exception();
        }
    };
    std::thread helper;
    try {
        helper = platform::startThread(sideStep);
    } catch (const std::system_error&) {
        sideStep();
        main();
        if (sideFailure) std::rethrow_exception(sideFailure);
        return;
    }
    try {
        main();
    } catch (...) {
        helper.join();
        throw;
    }
    helper.join();
    if (sideFailure) std::rethrow_exception(sideFailure);
}

} // namespace verdan
