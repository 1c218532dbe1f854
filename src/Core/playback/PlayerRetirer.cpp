#include "playback/PlayerRetirer.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {
std::atomic_int jobsInProcess{0};
}

struct PlayerRetirer::State
{
    std::mutex mutex;
    std::condition_variable idle;
    int pending = 0;

    void finished()
    {
        --jobsInProcess;
        {
            std::lock_guard lock(mutex);
            --pending;
        }
        idle.notify_all();
    }
};

PlayerRetirer::PlayerRetirer() : m_state(std::make_shared<State>()) {}

PlayerRetirer::~PlayerRetirer() = default;

void PlayerRetirer::retire(std::function<void()> job)
{
    {
        std::lock_guard lock(m_state->mutex);
        ++m_state->pending;
    }
    ++jobsInProcess;
    auto task = std::make_shared<std::function<void()>>(std::move(job));
    auto run = [state = m_state, task] {
        (*task)();
        *task = nullptr; // what the job owned goes before it counts as done
        state->finished();
    };
    try {
        // Detached: the thread holds the state and the job, so it may outlive this retirer.
        std::thread(run).detach();
    } catch (const std::system_error &) {
        // No thread to be had (the process is out of them): winding down here beats leaking.
        run();
    }
}

bool PlayerRetirer::waitUntilIdle(std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->idle.wait_for(lock, limit, [this] { return m_state->pending == 0; });
}

int PlayerRetirer::pending() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->pending;
}

int PlayerRetirer::pendingInProcess()
{
    return jobsInProcess.load();
}
