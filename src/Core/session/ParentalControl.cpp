#include "session/ParentalControl.h"

#include "session/Keychain.h"

#include <array>

bool ParentalControl::isBlocked(const QString &categoryName)
{
    static const std::array<QLatin1StringView, 6> keywords{
        QLatin1StringView("xxx"), QLatin1StringView("adult"), QLatin1StringView("adulto"),
        QLatin1StringView("+18"), QLatin1StringView("18+"),   QLatin1StringView("porn")};
    const QString lowered = categoryName.toLower();
    for (const QLatin1StringView keyword : keywords) {
        if (lowered.contains(keyword))
            return true;
    }
    return false;
}

bool ParentalControl::acceptsPin(const QString &entered)
{
    const std::optional<QString> pin = expectedPin();
    return pin && entered == *pin;
}

std::optional<QString> ParentalControl::expectedPin()
{
    Keychain::Lookup stored = Keychain::lookup(QStringLiteral("parental_pin"));
    switch (stored.outcome) {
    case Keychain::Lookup::Outcome::Found:
        return std::move(stored.value);
    case Keychain::Lookup::Outcome::Absent:
    case Keychain::Lookup::Outcome::NoKeyring:
        return QString(fallbackPin);
    case Keychain::Lookup::Outcome::Unreadable:
        break;
    }
    // A keyring that is there but cannot be read (locked, not answering) may hold another PIN:
    // the fallback must not open what the parent closed with it.
    return std::nullopt;
}
