// libsecret (gio) must come before any Qt header: Qt's keyword macros clash with gio.
#include <libsecret/secret.h>

#include "Keychain.h"

#include <QByteArray>
#include <QStringDecoder>

namespace {

const SecretSchema *schema()
{
    // DONT_MATCH_NAME: items stored by other tools (secret-tool store service S account A) match too.
    static const SecretSchema s = {
        "app.norvane.Norvane.Credential",
        SECRET_SCHEMA_DONT_MATCH_NAME,
        {
            {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};
    return &s;
}

struct Attributes
{
    explicit Attributes(const QString &account)
        : serviceUtf8(Keychain::service().toUtf8()), accountUtf8(account.toUtf8())
    {
    }
    QByteArray serviceUtf8;
    QByteArray accountUtf8;
};

void clearError(GError *&error)
{
    if (error)
        g_error_free(error);
    error = nullptr;
}

} // namespace

namespace Keychain {

QString service()
{
    return QStringLiteral("app.norvane.Norvane");
}

std::optional<QString> read(const QString &account)
{
    const Attributes a(account);
    GError *error = nullptr;
    gchar *secret = secret_password_lookup_sync(schema(), nullptr, &error, "service",
                                                a.serviceUtf8.constData(), "account",
                                                a.accountUtf8.constData(), nullptr);
    clearError(error);
    if (!secret)
        return std::nullopt;
    const QByteArray bytes(secret);
    secret_password_free(secret);
    // Not UTF-8, or empty, counts as absent.
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = toUtf16(bytes);
    if (toUtf16.hasError() || text.isEmpty())
        return std::nullopt;
    return text;
}

void write(const std::optional<QString> &value, const QString &account)
{
    if (!value || value->isEmpty()) {
        remove(account);
        return;
    }
    // Storing adds an xdg:schema attribute, so an item made by another tool would stay beside
    // ours as a second match: clear first, then store, so exactly one item holds the value.
    remove(account);
    const Attributes a(account);
    const QByteArray data = value->toUtf8();
    GError *error = nullptr;
    secret_password_store_sync(schema(), SECRET_COLLECTION_DEFAULT, "Norvane", data.constData(),
                               nullptr, &error, "service", a.serviceUtf8.constData(), "account",
                               a.accountUtf8.constData(), nullptr);
    clearError(error);
}

void remove(const QString &account)
{
    const Attributes a(account);
    GError *error = nullptr;
    secret_password_clear_sync(schema(), nullptr, &error, "service", a.serviceUtf8.constData(),
                               "account", a.accountUtf8.constData(), nullptr);
    clearError(error);
}

} // namespace Keychain
