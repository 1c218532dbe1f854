#pragma once

#include "provider/EPGListing.h"

#include <QList>
#include <QObject>
#include <QtQml/qqmlregistration.h>

// The answer of "get_short_epg": its guide entries in the answer's order.
class EPGResponse
{
    Q_GADGET
    QML_VALUE_TYPE(epgResponse)
    Q_PROPERTY(QList<EPGListing> listings READ listings CONSTANT FINAL)
public:
    EPGResponse() = default;
    explicit EPGResponse(QList<EPGListing> listings) : m_listings(std::move(listings)) {}

    QList<EPGListing> listings() const { return m_listings; }

    bool operator==(const EPGResponse &) const = default;

private:
    QList<EPGListing> m_listings;
};
