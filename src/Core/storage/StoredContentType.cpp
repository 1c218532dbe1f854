#include "storage/StoredContentType.h"

StoredContentType StoredContentType::fromName(const QString &name)
{
    for (const ContentType type : {ContentType::Live, ContentType::Movie, ContentType::Series})
        if (name == contentTypeName(type))
            return type;
    StoredContentType unknown;
    unknown.m_unknownName = name;
    return unknown;
}
