#pragma once

#include "provider/ContentType.h"

#include <QString>
#include <optional>

// The content type of a stored record: one of the app's types, or a name from the file that this
// app does not know, kept as it was so that rewriting the file loses nothing. The names are
// converted here, at the file's edge, and nowhere else.
class StoredContentType
{
public:
    StoredContentType(ContentType type) : m_type(type) {}
    static StoredContentType fromName(const QString &name);

    // None for a name this app does not know.
    std::optional<ContentType> type() const { return m_type; }
    QString name() const { return m_type ? contentTypeName(*m_type) : m_unknownName; }

    bool operator==(const StoredContentType &) const = default;

private:
    StoredContentType() = default;

    std::optional<ContentType> m_type;
    QString m_unknownName;
};
