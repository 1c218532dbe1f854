// libsecret (gio) must come before any Qt header: Qt's keyword macros clash with gio.
#include <libsecret/secret.h>

#include "Keychain.h"

#include <QByteArray>
#include <QStringDecoder>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

const SecretSchema *schema()
{
    // DONT_MATCH_NAME: items stored by other tools (secret-tool store service S account A) match too.
    static const SecretSchema s = {"app.norvane.Norvane.Credential",
                                   SECRET_SCHEMA_DONT_MATCH_NAME,
                                   {
                                       {"service", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"account", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
                                   },
                                   0,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr,
                                   nullptr};
    return &s;
}

std::atomic<int> callTimeoutMs{1500};
// Set once a call ran into its time limit: a Secret Service that hangs once (a keyring daemon
// waiting on a prompt nobody can answer) is not asked again during this run.
std::atomic_bool serviceUnresponsive{false};

// Cancels one keyring call when it takes longer than the time limit. The synchronous libsecret
// calls run their own main loop and return as soon as their cancellable fires.
class CallDeadline
{
  public:
    CallDeadline() : m_cancellable(g_cancellable_new())
    {
        const auto limit = std::chrono::milliseconds(callTimeoutMs.load());
        m_watchdog = std::thread([this, limit] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, limit, [this] { return m_finished; }))
                g_cancellable_cancel(m_cancellable);
        });
    }
    ~CallDeadline()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_watchdog.join();
        if (g_cancellable_is_cancelled(m_cancellable))
            serviceUnresponsive = true;
        g_object_unref(m_cancellable);
    }
    CallDeadline(const CallDeadline &) = delete;
    CallDeadline &operator=(const CallDeadline &) = delete;

    GCancellable *cancellable() const { return m_cancellable; }

  private:
    GCancellable *m_cancellable;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_watchdog;
};

// The identifying attributes of one item: the fixed service and the account name.
GHashTable *attributesFor(const QString &account)
{
    const QByteArray service = Keychain::service().toUtf8();
    const QByteArray name = account.toUtf8();
    return secret_attributes_build(schema(), "service", service.constData(), "account", name.constData(),
                                   nullptr);
}

void dropError(GError *&error)
{
    if (error)
        g_error_free(error);
    error = nullptr;
}

// The Secret Service, or null when there is none (no session bus, no provider on it).
SecretService *openService(const CallDeadline &deadline)
{
    if (serviceUnresponsive)
        return nullptr;
    GError *error = nullptr;
    SecretService *service = secret_service_get_sync(SECRET_SERVICE_NONE, deadline.cancellable(), &error);
    dropError(error);
    return service;
}

std::optional<QString> decodeSecret(SecretValue *value)
{
    if (!value)
        return std::nullopt;
    gsize length = 0;
    const gchar *bytes = secret_value_get(value, &length);
    // Not UTF-8, or empty, counts as absent.
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = toUtf16(QByteArrayView(bytes, qsizetype(length)));
    if (toUtf16.hasError() || text.isEmpty())
        return std::nullopt;
    return text;
}

void removeWith(SecretService *service, const CallDeadline &deadline, const QString &account)
{
    GHashTable *attributes = attributesFor(account);
    GError *error = nullptr;
    secret_service_clear_sync(service, schema(), attributes, deadline.cancellable(), &error);
    dropError(error);
    g_hash_table_unref(attributes);
}

// The default keyring when it exists and is unlocked. Creating or unlocking one would put a
// password prompt in front of the user, so a write then does nothing instead.
SecretCollection *openDefaultCollection(SecretService *service, const CallDeadline &deadline)
{
    GError *error = nullptr;
    SecretCollection *collection = secret_collection_for_alias_sync(
        service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, deadline.cancellable(), &error);
    dropError(error);
    if (collection && secret_collection_get_locked(collection)) {
        g_object_unref(collection);
        return nullptr;
    }
    return collection;
}

} // namespace

namespace Keychain {

namespace {
QString &serviceText()
{
    static QString text = QStringLiteral("app.norvane.Norvane");
    return text;
}
} // namespace

QString service()
{
    return serviceText();
}

void setService(const QString &service)
{
    serviceText() = service;
}

std::optional<QString> read(const QString &account)
{
    const CallDeadline deadline;
    SecretService *secrets = openService(deadline);
    if (!secrets)
        return std::nullopt;
    // Without SECRET_SEARCH_UNLOCK a locked keyring is never unlocked (no prompt): its items
    // come back without their secret and read as absent.
    GHashTable *attributes = attributesFor(account);
    GError *error = nullptr;
    GList *items = secret_service_search_sync(secrets, schema(), attributes, SECRET_SEARCH_LOAD_SECRETS,
                                              deadline.cancellable(), &error);
    dropError(error);
    g_hash_table_unref(attributes);
    std::optional<QString> text;
    for (GList *node = items; node && !text; node = node->next) {
        SecretValue *value = secret_item_get_secret(SECRET_ITEM(node->data));
        text = decodeSecret(value);
        if (value)
            secret_value_unref(value);
    }
    g_list_free_full(items, g_object_unref);
    g_object_unref(secrets);
    return text;
}

void write(const std::optional<QString> &value, const QString &account)
{
    if (!value || value->isEmpty()) {
        remove(account);
        return;
    }
    const CallDeadline deadline;
    SecretService *secrets = openService(deadline);
    if (!secrets)
        return;
    SecretCollection *collection = openDefaultCollection(secrets, deadline);
    if (collection) {
        // An item made by another tool carries other attributes and would stay beside a new one
        // as a second match: clear every match first, so exactly one item holds the value.
        removeWith(secrets, deadline, account);
        const QByteArray data = value->toUtf8();
        SecretValue *secret = secret_value_new(data.constData(), data.size(), "text/plain");
        GHashTable *attributes = attributesFor(account);
        GError *error = nullptr;
        // No schema: the item carries exactly the two identifying attributes.
        SecretItem *item = secret_item_create_sync(collection, nullptr, attributes, "Norvane", secret,
                                                   SECRET_ITEM_CREATE_NONE, deadline.cancellable(), &error);
        dropError(error);
        if (item)
            g_object_unref(item);
        g_hash_table_unref(attributes);
        secret_value_unref(secret);
        g_object_unref(collection);
    }
    g_object_unref(secrets);
}

void remove(const QString &account)
{
    const CallDeadline deadline;
    SecretService *secrets = openService(deadline);
    if (!secrets)
        return;
    removeWith(secrets, deadline, account);
    g_object_unref(secrets);
}

void setCallTimeout(std::chrono::milliseconds limit)
{
    callTimeoutMs = int(limit.count());
}

} // namespace Keychain
