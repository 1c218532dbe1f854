// libsecret (gio) must come before any Qt header: Qt's keyword macros clash with gio.
#include <libsecret/secret.h>

#include "Keychain.h"
#include "Logging.h"

#include "PendingRemovals.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QStringDecoder>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Outcome = Keychain::Lookup::Outcome;

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

// Set when a call ran into its time bound, cleared as soon as control is back in the event loop:
// a keyring that does not answer (a daemon stopped, or waiting on a prompt nobody can answer)
// holds up one user action once, not once per call, and the next action asks it again.
bool stalledThisAction = false;

void noteStall()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (stalledThisAction || !app)
        return; // without an event loop there are no actions to tell apart: every call waits
    stalledThisAction = true;
    QTimer::singleShot(0, app, [] { stalledThisAction = false; });
}

// Cancels one keyring call when it takes longer than the time bound. The synchronous libsecret
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
        if (expired())
            noteStall();
        g_object_unref(m_cancellable);
    }
    CallDeadline(const CallDeadline &) = delete;
    CallDeadline &operator=(const CallDeadline &) = delete;

    GCancellable *cancellable() const { return m_cancellable; }
    bool expired() const { return g_cancellable_is_cancelled(m_cancellable); }

private:
    GCancellable *m_cancellable;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_watchdog;
};

// The identifying attributes of one item: the service and the account name.
GHashTable *attributesFor(const QString &account)
{
    const QByteArray service = Keychain::service().toUtf8();
    const QByteArray name = account.toUtf8();
    return secret_attributes_build(schema(), "service", service.constData(), "account", name.constData(),
                                   nullptr);
}

// Nobody on the bus answers for the Secret Service (none installed, or it could not be started).
bool isMissingService(const GError *error)
{
    return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_EXEC_FAILED) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_CHILD_EXITED);
}

// What a failed call says about the keyring; frees the error.
Outcome failureOf(GError *&error, const CallDeadline &deadline)
{
    const Outcome outcome =
        !deadline.expired() && isMissingService(error) ? Outcome::NoKeyring : Outcome::Unreadable;
    g_clear_error(&error);
    return outcome;
}

// The Secret Service, or null with the reason when it cannot be reached. Failing to reach the
// session bus at all means there is no keyring; running out of time does not.
SecretService *openService(const CallDeadline &deadline, Outcome *failure)
{
    if (stalledThisAction) {
        *failure = Outcome::Unreadable;
        return nullptr;
    }
    GError *error = nullptr;
    SecretService *service = secret_service_get_sync(SECRET_SERVICE_NONE, deadline.cancellable(), &error);
    if (!service)
        *failure = deadline.expired() ? Outcome::Unreadable : Outcome::NoKeyring;
    g_clear_error(&error);
    return service;
}

Keychain::Lookup decodeSecret(SecretValue *value)
{
    if (!value)
        return {Outcome::Unreadable, {}}; // a locked item
    gsize length = 0;
    const gchar *bytes = secret_value_get(value, &length);
    auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = toUtf16(QByteArrayView(bytes, qsizetype(length)));
    if (toUtf16.hasError() || text.isEmpty())
        return {Outcome::Unreadable, {}};
    return {Outcome::Found, text};
}

// The default keyring, locked or not; none when there is none.
SecretCollection *defaultCollection(SecretService *service, const CallDeadline &deadline)
{
    GError *error = nullptr;
    SecretCollection *collection = secret_collection_for_alias_sync(
        service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, deadline.cancellable(), &error);
    g_clear_error(&error);
    return collection;
}

// A locked default keyring may hold the item without showing it.
bool defaultCollectionIsLocked(SecretService *service, const CallDeadline &deadline)
{
    SecretCollection *collection = defaultCollection(service, deadline);
    const bool locked = collection && secret_collection_get_locked(collection);
    if (collection)
        g_object_unref(collection);
    return locked;
}

Keychain::Lookup lookupWith(SecretService *service, const CallDeadline &deadline, const QString &account)
{
    // Without SECRET_SEARCH_UNLOCK a locked keyring is never unlocked (no prompt): its items
    // come back without their secret.
    GHashTable *attributes = attributesFor(account);
    GError *error = nullptr;
    GList *items = secret_service_search_sync(service, schema(), attributes, SECRET_SEARCH_LOAD_SECRETS,
                                              deadline.cancellable(), &error);
    g_hash_table_unref(attributes);
    if (error)
        return {failureOf(error, deadline), {}};
    Keychain::Lookup result{Outcome::Unreadable, {}};
    if (!items)
        result.outcome = defaultCollectionIsLocked(service, deadline) || deadline.expired()
                             ? Outcome::Unreadable
                             : Outcome::Absent;
    for (GList *node = items; node && result.outcome != Outcome::Found; node = node->next) {
        SecretValue *value = secret_item_get_secret(SECRET_ITEM(node->data));
        result = decodeSecret(value);
        if (value)
            secret_value_unref(value);
    }
    g_list_free_full(items, g_object_unref);
    return result;
}

// Deletes every item of the account except the one at `keepPath` (none: all). True when nothing
// else is left.
bool removeWith(SecretService *service, const CallDeadline &deadline, const QString &account,
                const char *keepPath = nullptr)
{
    GHashTable *attributes = attributesFor(account);
    GError *error = nullptr;
    GList *items = secret_service_search_sync(service, schema(), attributes, SECRET_SEARCH_ALL,
                                              deadline.cancellable(), &error);
    g_hash_table_unref(attributes);
    if (error)
        return failureOf(error, deadline) == Outcome::NoKeyring;
    bool removed = true;
    for (GList *node = items; node; node = node->next) {
        SecretItem *item = SECRET_ITEM(node->data);
        if (keepPath && g_strcmp0(g_dbus_proxy_get_object_path(G_DBUS_PROXY(item)), keepPath) == 0)
            continue;
        removed = secret_item_delete_sync(item, deadline.cancellable(), &error) && removed;
        g_clear_error(&error);
    }
    g_list_free_full(items, g_object_unref);
    return removed;
}

bool removeNow(const QString &account)
{
    const CallDeadline deadline;
    Outcome failure = Outcome::Unreadable;
    SecretService *secrets = openService(deadline, &failure);
    if (!secrets)
        return failure == Outcome::NoKeyring; // nothing can be left where there is no keyring
    const bool removed = removeWith(secrets, deadline, account);
    g_object_unref(secrets);
    return removed;
}

// The default keyring when it is unlocked. Creating or unlocking one would put a password prompt
// in front of the user, so a write then does nothing instead.
SecretCollection *unlockedDefaultCollection(SecretService *service, const CallDeadline &deadline)
{
    SecretCollection *collection = defaultCollection(service, deadline);
    if (collection && secret_collection_get_locked(collection)) {
        g_object_unref(collection);
        return nullptr;
    }
    return collection;
}

// A new item holding the value; none when the keyring refused it.
SecretItem *createItem(SecretCollection *collection, const CallDeadline &deadline, const QString &account,
                       const QString &value)
{
    const QByteArray data = value.toUtf8();
    SecretValue *secret = secret_value_new(data.constData(), data.size(), "text/plain");
    GHashTable *attributes = attributesFor(account);
    GError *error = nullptr;
    // No schema: the item carries exactly the two identifying attributes.
    SecretItem *item = secret_item_create_sync(collection, nullptr, attributes, "Norvane", secret,
                                               SECRET_ITEM_CREATE_NONE, deadline.cancellable(), &error);
    g_clear_error(&error);
    g_hash_table_unref(attributes);
    secret_value_unref(secret);
    return item;
}

// Stores the value as a new item and only then deletes the older ones (items made by other tools
// carry other attributes and would match beside it). True when only the new one is left.
bool writeNow(const QString &value, const QString &account)
{
    const CallDeadline deadline;
    Outcome failure = Outcome::Unreadable;
    SecretService *secrets = openService(deadline, &failure);
    if (!secrets)
        return false;
    bool written = false;
    if (SecretCollection *collection = unlockedDefaultCollection(secrets, deadline)) {
        if (SecretItem *item = createItem(collection, deadline, account, value)) {
            written =
                removeWith(secrets, deadline, account, g_dbus_proxy_get_object_path(G_DBUS_PROXY(item)));
            g_object_unref(item);
        }
        g_object_unref(collection);
    }
    g_object_unref(secrets);
    return written;
}

QString &serviceText()
{
    static QString text = Keychain::appService();
    return text;
}

} // namespace

namespace Keychain {

QString appService()
{
    return QStringLiteral("app.norvane.Norvane");
}

QString service()
{
    return serviceText();
}

void setService(const QString &service)
{
    serviceText() = service;
}

Lookup lookup(const QString &account)
{
    // Forgotten items are gone for the app, whatever the keyring still holds: the first read that
    // finds any removes them all (a start-up after a forget the keyring did not carry out).
    PendingRemovals pending;
    const QStringList forgotten = pending.accounts(service());
    for (const QString &name : forgotten) {
        if (removeNow(name))
            pending.drop(service(), name);
    }
    if (forgotten.contains(account))
        return {Lookup::Outcome::Absent, {}};
    const CallDeadline deadline;
    Outcome failure = Outcome::Unreadable;
    SecretService *secrets = openService(deadline, &failure);
    if (!secrets) {
        qCDebug(lcKeyring) << (failure == Outcome::NoKeyring ? "no keyring" : "keyring not reachable");
        return {failure, {}};
    }
    Lookup result = lookupWith(secrets, deadline, account);
    g_object_unref(secrets);
    if (result.outcome == Lookup::Outcome::Unreadable)
        qCInfo(lcKeyring) << "could not read the item" << account;
    return result;
}

std::optional<QString> read(const QString &account)
{
    Lookup result = lookup(account);
    if (result.outcome != Lookup::Outcome::Found)
        return std::nullopt;
    return std::move(result.value);
}

bool write(const std::optional<QString> &value, const QString &account)
{
    if (!value || value->isEmpty())
        return remove(account);
    const bool written = writeNow(*value, account);
    // Only the new value left: nothing forgotten under this account any more.
    if (written) {
        qCDebug(lcKeyring) << "stored the item" << account;
        PendingRemovals().drop(service(), account);
    } else {
        qCInfo(lcKeyring) << "could not store the item" << account;
    }
    return written;
}

bool remove(const QString &account)
{
    PendingRemovals pending;
    const bool removed = removeNow(account);
    if (removed) {
        qCDebug(lcKeyring) << "removed the item" << account;
        pending.drop(service(), account);
    } else {
        qCInfo(lcKeyring) << "could not remove the item" << account << "- removed at the next start";
        pending.add(service(), account);
    }
    return removed;
}

void setCallTimeout(std::chrono::milliseconds limit)
{
    callTimeoutMs = int(limit.count());
}

} // namespace Keychain
