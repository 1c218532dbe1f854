#include "ParentalControl.h"

#include "Keychain.h"

#include <array>

bool ParentalControl::isBlocked(const QString &categoryName)
{
    static const std::array<QLatin1StringView, 6> keywords{
        QLatin1StringView("xxx"), QLatin1StringView("adult"), QLatin1StringView("adulto"),
        QLatin1StringView("+18"), QLatin1StringView("18+"), QLatin1StringView("porn")};
    const QString lowered = categoryName.toLower();
    for (const QLatin1StringView keyword : keywords) {
        if (lowered.contains(keyword))
            return true;
    }
    return false;
}

bool ParentalControl::acceptsPin(const QString &entered)
{
    return entered == currentPin();
}

QString ParentalControl::currentPin()
{
    // A keyring that cannot be read counts as empty, so the fallback applies.
    return Keychain::read(QStringLiteral("parental_pin")).value_or(QString(fallbackPin));
}
