#pragma once

#include <chrono>
#include <optional>

// A live channel that goes down now and then. The first request for the channel starts a run.
// `after` into the run the channel is cut, and an outage of `outage` begins, during which every
// request for the channel is refused: at once when a TS connection is open then (it is dropped),
// otherwise with the next request that opens a stream (a playlist reload, a TS or playlist
// request). The first request after the outage starts the next run, cut as long after. HLS
// segments already listed are still served between the cut and the outage, as an origin whose
// encoder stopped still holds them.
//
// Without an open connection the outage is timed from when a player meets it: libVLC reloads a
// playlist only every target duration and gives up after three more tries, so an outage begun at
// the cut itself would be met late or not at all depending on that phase.
class LiveCut
{
public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::milliseconds;
    enum class Request {
        Opening, // a playlist, or a whole TS stream
        Segment, // an HLS segment
    };

    LiveCut(Duration after, Duration outage) : m_after(after), m_outage(outage) {}

    // Whether a request arriving at `now` is served (a run starts when none goes on) or refused.
    bool admit(Clock::time_point now, Request request);
    // How long the current run still plays (zero once cut or before any run).
    Duration untilCut(Clock::time_point now) const;
    // A stream of the run was dropped at the cut: the outage begins now.
    void dropped(Clock::time_point now);
    // Whether the channel is in its outage at `now`.
    bool isDown(Clock::time_point now) const { return m_outageStart && now < *m_outageStart + m_outage; }

private:
    Duration m_after;
    Duration m_outage;
    std::optional<Clock::time_point> m_runStart;
    std::optional<Clock::time_point> m_outageStart;
};
