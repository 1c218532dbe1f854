#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Decides which categories are adult and whether an entered PIN opens them. No state of its own:
// the PIN is read from the keyring each time one is submitted.
class ParentalControl : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    // The PIN while the keyring holds none under "parental_pin".
    static constexpr QLatin1StringView fallbackPin{"8057"};

    using QObject::QObject;

    // True when the lower-cased name contains "xxx", "adult", "adulto", "+18", "18+" or "porn".
    Q_INVOKABLE static bool isBlocked(const QString &categoryName);
    // Exact comparison with the PIN stored now (no trimming, no attempt limit).
    Q_INVOKABLE static bool acceptsPin(const QString &entered);
    static QString currentPin();
};
