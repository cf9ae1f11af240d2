// Waiting in a test without handling events, so the window thread serves no queued control
// operation meanwhile; bounded, so a failing test cannot hang.
#pragma once

#include <chrono>
#include <thread>

namespace tovik::testing {

template <typename Predicate>
bool WaitWithoutEvents(Predicate done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace tovik::testing
