#pragma once

#include <QByteArray>
#include <algorithm>

// The byte range a "Range: bytes=..." request header asks for, resolved against the resource size.
// Only a single range is served (what players send); a list of ranges gets the whole resource.
struct ByteRange
{
    enum class Outcome { Whole, Partial, Unsatisfiable };

    Outcome outcome = Outcome::Whole;
    qint64 first = 0;
    qint64 last = 0; // inclusive

    qint64 length() const { return last - first + 1; }

    static ByteRange parse(const QByteArray &header, qint64 size)
    {
        const ByteRange whole{Outcome::Whole, 0, size - 1};
        const ByteRange unsatisfiable{Outcome::Unsatisfiable, 0, -1};
        const QByteArray value = header.trimmed();
        if (!value.startsWith("bytes=") || value.contains(','))
            return whole;
        const QByteArray spec = value.mid(6).trimmed();
        const qsizetype dash = spec.indexOf('-');
        if (dash < 0)
            return whole;
        const QByteArray from = spec.left(dash).trimmed();
        const QByteArray to = spec.mid(dash + 1).trimmed();
        bool okFrom = false;
        bool okTo = false;
        const qint64 a = from.toLongLong(&okFrom);
        const qint64 b = to.toLongLong(&okTo);
        if (from.isEmpty()) {
            // "bytes=-N": the last N bytes.
            if (!okTo || b <= 0 || size == 0)
                return unsatisfiable;
            return {Outcome::Partial, std::max<qint64>(0, size - b), size - 1};
        }
        if (!okFrom || a < 0 || (!to.isEmpty() && (!okTo || b < a)))
            return whole;
        if (a >= size)
            return unsatisfiable;
        return {Outcome::Partial, a, to.isEmpty() ? size - 1 : std::min(b, size - 1)};
    }
};
