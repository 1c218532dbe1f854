#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>

// Decides which categories are adult and whether an entered PIN opens them. No state of its own:
// the PIN is read from the keyring each time one is submitted.
class ParentalControl : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    // The PIN while the keyring answers that it holds none under "parental_pin", or while the
    // system has no keyring at all.
    static constexpr QLatin1StringView fallbackPin{"8057"};

    using QObject::QObject;

    // True when the lower-cased name contains "xxx", "adult", "adulto", "+18", "18+" or "porn".
    Q_INVOKABLE static bool isBlocked(const QString &categoryName);
    // Exact comparison with the PIN stored now (no trimming, no attempt limit). Nothing is
    // accepted while the keyring cannot be read.
    Q_INVOKABLE static bool acceptsPin(const QString &entered);
    // The PIN that opens now, read at each call; none while the keyring cannot be read.
    static std::optional<QString> expectedPin();
};
