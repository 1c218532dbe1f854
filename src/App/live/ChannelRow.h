#pragma once

#include "provider/LiveStream.h"

#include <QHashFunctions>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

// A live channel as the screens list it: the live section, the search results and the
// full-screen view. Equality over all four fields; its identity in lists is streamId.
class ChannelRow
{
    Q_GADGET
    QML_VALUE_TYPE(channelRow)
    Q_PROPERTY(QString streamId READ streamId CONSTANT FINAL)
    // The number shown in the list; "" when there is none (hasNum tells the two apart).
    Q_PROPERTY(QString num READ numText CONSTANT FINAL)
    Q_PROPERTY(bool hasNum READ hasNum CONSTANT FINAL)
    Q_PROPERTY(QString name READ name CONSTANT FINAL)
    // The logo address; "" when there is none.
    Q_PROPERTY(QString iconURL READ iconURLText CONSTANT FINAL)
    Q_PROPERTY(bool hasIconURL READ hasIconURL CONSTANT FINAL)

public:
    ChannelRow() = default;
    ChannelRow(QString streamId, std::optional<QString> num, QString name, std::optional<QString> iconURL)
        : m_streamId(std::move(streamId)), m_num(std::move(num)), m_name(std::move(name)),
          m_iconURL(std::move(iconURL))
    {
    }

    // The row of a provider record with the given list number.
    static ChannelRow fromStream(const LiveStream &stream, std::optional<QString> num);
    // The row as the search lists it: the record's own number, or none.
    static ChannelRow fromStream(const LiveStream &stream);

    const QString &streamId() const { return m_streamId; }
    const std::optional<QString> &num() const { return m_num; }
    const QString &name() const { return m_name; }
    const std::optional<QString> &iconURL() const { return m_iconURL; }

    QString numText() const { return m_num.value_or(QString()); }
    bool hasNum() const { return m_num.has_value(); }
    QString iconURLText() const { return m_iconURL.value_or(QString()); }
    bool hasIconURL() const { return m_iconURL.has_value(); }

    bool operator==(const ChannelRow &) const = default;

private:
    QString m_streamId;
    std::optional<QString> m_num;
    QString m_name;
    std::optional<QString> m_iconURL;
};

size_t qHash(const ChannelRow &row, size_t seed = 0);
