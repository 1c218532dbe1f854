#pragma once

#include <QByteArray>
#include <optional>

// How the provider misbehaves for one action (tests set these; the demo uses none).
struct ProviderFault
{
    int status = 0;                 // answer with this HTTP status (0: the normal one)
    int delayMs = 0;                // wait this long before the status line
    int bytesPerSecond = 0;         // send the body slowly (0: at once)
    bool dropMidBody = false;       // send headers and half the body, then abort the connection
    bool htmlBody = false;          // an HTML page instead of JSON
    bool emptyBody = false;         // an empty body
    bool stall = false;             // never answer (the client has to give up)
    bool stallAfterHeaders = false; // send the headers, then nothing more
    std::optional<QByteArray> body; // this body instead of the normal answer

    // True when the fault replaces what is answered (not only how it is delivered).
    bool changesAnswer() const { return status != 0 || htmlBody || emptyBody || body.has_value(); }
    bool isSet() const
    {
        return changesAnswer() || delayMs > 0 || bytesPerSecond > 0 || dropMidBody || stall ||
               stallAfterHeaders;
    }
};
