#pragma once

#include <chrono>
#include <functional>
#include <memory>

// Runs the winding down of media players away from the caller's thread. Stopping a libVLC player
// joins its input thread, and that thread may sit in a network read of a server that stalls: the
// main thread must never wait for that. Each job runs on a thread of its own, so one stalled
// player does not hold back the others.
//
// A job owns everything it touches (the player, its frame sink, its event relay): when its owner
// stops waiting for it (waitUntilIdle ran out), the job finishes alone, whenever the read ends.
class PlayerRetirer
{
public:
    PlayerRetirer();
    // Does not wait: the owner decides how long to wait (waitUntilIdle) before letting it go.
    ~PlayerRetirer();
    PlayerRetirer(const PlayerRetirer &) = delete;
    PlayerRetirer &operator=(const PlayerRetirer &) = delete;

    void retire(std::function<void()> job);
    // Waits at most the limit for every job given so far; true when none is left.
    bool waitUntilIdle(std::chrono::milliseconds limit) const;
    // Jobs of this retirer that have not finished yet.
    int pending() const;
    // Jobs of every retirer in the process that have not finished yet, including those whose
    // retirer is gone (what a test checks to see that abandoned players wind down too).
    static int pendingInProcess();

private:
    struct State;
    std::shared_ptr<State> m_state;
};
