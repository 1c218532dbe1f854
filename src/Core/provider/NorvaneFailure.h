#pragma once

#include <QString>
#include <variant>

// The ways a provider request can fail, kept as plain values: whoever asked decides what to do,
// and NorvaneError::message turns any of them into the one sentence the user sees.

// The connection itself failed (no answer with an HTTP status).
struct TransportError
{
    enum class Kind {
        timedOut,
        cannotFindHost,
        cannotConnectToHost,
        dnsLookupFailed,
        notConnectedToInternet,
        networkConnectionLost,
        badURL,
        cancelled,
        other,
    };
    Kind kind = Kind::other;
    QString detail; // the network layer's own words, for diagnostics only

    bool operator==(const TransportError &) const = default;
};

// An API answer whose status lies outside 200 to 299.
struct HTTPError
{
    int statusCode = 0;
    bool operator==(const HTTPError &) const = default;
};

// A catalog download answered with a status outside 200 to 299 (its body is never read).
struct HTTPStatusError
{
    int code = 0;
    bool operator==(const HTTPStatusError &) const = default;
};

// The answer arrived but is not the JSON shape that was asked for.
struct DecodingError
{
    QString detail;
    bool operator==(const DecodingError &) const = default;
};

// A local file (a downloaded body) could not be read or written.
struct FileError
{
    QString detail;
    bool operator==(const FileError &) const = default;
};

using NorvaneFailure = std::variant<TransportError, HTTPError, HTTPStatusError, DecodingError, FileError>;
