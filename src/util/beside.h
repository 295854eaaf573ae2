#pragma once
#include <exception>
#include <thread>

namespace verdan {

// Runs `side` on a second thread while `main` runs on this one, for two steps that only read what
// they share. Returns once both have ended; a failure of either is thrown then, `main`'s first.
template <class Side, class Main> void runBeside(Side&& side, Main&& main) {
    std::exception_ptr sideFailure;
    std::thread helper([&] {
        try {
            side();
        } catch (...) {
            sideFailure = std::current_exception();
        }
    });
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
