#include "LiveCut.h"

bool LiveCut::admit(Clock::time_point now, Request request)
{
    if (m_outageStart) {
        if (now < *m_outageStart + m_outage)
            return false;
        m_outageStart.reset();
        m_runStart.reset();
    }
    if (m_runStart) {
        const Clock::time_point cutAt = *m_runStart + m_after;
        if (now < cutAt)
            return true;
        // Past the cut, the outage begins; but a request so late that an outage begun at the cut
        // would be over by now starts a new run instead.
        if (now < cutAt + m_outage) {
            if (request == Request::Segment)
                return true;
            m_outageStart = now;
            return false;
        }
    }
    m_runStart = now;
    return true;
}

LiveCut::Duration LiveCut::untilCut(Clock::time_point now) const
{
    if (!m_runStart || m_outageStart || now >= *m_runStart + m_after)
        return Duration::zero();
    return std::chrono::ceil<Duration>(*m_runStart + m_after - now);
}

void LiveCut::dropped(Clock::time_point now)
{
    // Only a drop at this run's cut counts, not one of a connection made under an earlier setting;
    // a timer may fire a little early.
    if (m_runStart && !m_outageStart && now + Duration(50) >= *m_runStart + m_after)
        m_outageStart = now;
}
