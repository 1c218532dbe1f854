#pragma once

#include "provider/EPGListing.h"

#include <QAbstractListModel>
#include <QList>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <functional>

// A channel's short guide as rows: each listing's time range, its title ("(sin título)" when it
// has none) and whether it is on air. The on-air mark moves by itself while the guide stays on
// screen: a timer wakes at the next start or end of a listing and changes the rows whose mark
// changed.
class GuideListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QList<EPGListing> listings READ listings WRITE setListings NOTIFY listingsChanged FINAL)

public:
    enum Role { TimeRangeRole = Qt::UserRole + 1, TitleRole, OnAirRole };

    explicit GuideListModel(QObject *parent = nullptr);

    const QList<EPGListing> &listings() const { return m_listings; }
    void setListings(const QList<EPGListing> &listings);

    // Milliseconds since 1970 (the system clock unless a test sets its own).
    void setClock(std::function<qint64()> clock);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

Q_SIGNALS:
    void listingsChanged();

private:
    // Marks the rows on air now and sets the timer for the next change.
    void update();
    qint64 nowSecs() const { return m_clock() / 1000; }

    QList<EPGListing> m_listings;
    QList<bool> m_onAir;
    std::function<qint64()> m_clock;
    QTimer m_timer;
};
