// libsecret (gio) must come before any Qt header: Qt's keyword macros clash with gio.
#include <libsecret/secret.h>

#include "session/Keychain.h"
#include "system/Logging.h"

#include "session/PendingRemovals.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFileInfo>
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

// The bus answered that nobody serves the Secret Service and that none can be started: there is
// no keyring. A keyring that is installed but did not start (its daemon failed or exited) may hold
// the items, so that is no such answer.
bool isMissingService(const GError *error)
{
    return g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
           g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND);
}

// What a failed call says about the keyring; frees the error.
Outcome failureOf(GError *&error, const CallDeadline &deadline)
{
    const Outcome outcome =
        !deadline.expired() && isMissingService(error) ? Outcome::NoKeyring : Outcome::Unreadable;
    g_clear_error(&error);
    return outcome;
}

// The session names a bus (its address, or the usual socket in the runtime folder). Without one the
// system has no keyring; with one that cannot be reached, a keyring may be behind it.
bool sessionBusConfigured()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QLatin1String("/bus"));
}

// The Secret Service, or null with the reason when it cannot be reached. Only a session without
// any bus means there is no keyring; a bus that fails or runs out of time does not.
SecretService *openService(const CallDeadline &deadline, Outcome *failure)
{
    if (stalledThisAction) {
        *failure = Outcome::Unreadable;
        return nullptr;
    }
    GError *error = nullptr;
    SecretService *service = secret_service_get_sync(SECRET_SERVICE_NONE, deadline.cancellable(), &error);
    if (!service)
        *failure = !deadline.expired() && !sessionBusConfigured() ? Outcome::NoKeyring : Outcome::Unreadable;
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
    if (toUtf16.hasError())
        return {Outcome::Unreadable, {}};
    if (text.isEmpty())
        return {Outcome::Absent, {}}; // an empty text is no value, as when nothing is stored
    return {Outcome::Found, text};
}

// The default keyring, locked or not; none when there is none (and when asking failed: `failed`).
SecretCollection *defaultCollection(SecretService *service, const CallDeadline &deadline,
                                    bool *failed = nullptr)
{
    GError *error = nullptr;
    SecretCollection *collection = secret_collection_for_alias_sync(
        service, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, deadline.cancellable(), &error);
    if (failed)
        *failed = error != nullptr || deadline.expired();
    g_clear_error(&error);
    return collection;
}

// What a search that found nothing means: a locked default keyring may hold the item without
// showing it, and a keyring that could not say whether it is locked may too.
Outcome outcomeOfNoItems(SecretService *service, const CallDeadline &deadline)
{
    bool failed = false;
    SecretCollection *collection = defaultCollection(service, deadline, &failed);
    const bool locked = collection && secret_collection_get_locked(collection);
    if (collection)
        g_object_unref(collection);
    return locked || failed ? Outcome::Unreadable : Outcome::Absent;
}

const char *pathOf(SecretItem *item)
{
    return g_dbus_proxy_get_object_path(G_DBUS_PROXY(item));
}

// The item a read takes when several answer to one account (a write whose clean-up failed, or
// another program's item beside ours): the one a write kept, else the newest.
SecretItem *newestOf(GList *items, const QByteArray &keepPath)
{
    SecretItem *newest = nullptr;
    for (GList *node = items; node; node = node->next) {
        SecretItem *item = SECRET_ITEM(node->data);
        if (!keepPath.isEmpty() && keepPath == pathOf(item))
            return item;
        const auto dates = [](SecretItem *i) {
            return std::pair(secret_item_get_modified(i), secret_item_get_created(i));
        };
        if (!newest || dates(item) > dates(newest))
            newest = item;
    }
    return newest;
}

Keychain::Lookup lookupWith(SecretService *service, const CallDeadline &deadline, const QString &account,
                            const QByteArray &keepPath)
{
    // Without SECRET_SEARCH_UNLOCK a locked keyring is never unlocked (no prompt): its items
    // come back without their secret.
    GHashTable *attributes = attributesFor(account);
    GError *error = nullptr;
    GList *items = secret_service_search_sync(
        service, schema(), attributes, SecretSearchFlags(SECRET_SEARCH_ALL | SECRET_SEARCH_LOAD_SECRETS),
        deadline.cancellable(), &error);
    g_hash_table_unref(attributes);
    if (error)
        return {failureOf(error, deadline), {}};
    if (!items)
        return {deadline.expired() ? Outcome::Unreadable : outcomeOfNoItems(service, deadline), {}};
    SecretValue *value = secret_item_get_secret(newestOf(items, keepPath));
    Keychain::Lookup result = decodeSecret(value);
    if (value)
        secret_value_unref(value);
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
        if (keepPath && g_strcmp0(pathOf(item), keepPath) == 0)
            continue;
        removed = secret_item_delete_sync(item, deadline.cancellable(), &error) && removed;
        g_clear_error(&error);
    }
    g_list_free_full(items, g_object_unref);
    return removed;
}

// Deletes every item of the account but the one at `keepPath` (empty: all).
bool removeNow(const QString &account, const QString &keepPath = {})
{
    const CallDeadline deadline;
    Outcome failure = Outcome::Unreadable;
    SecretService *secrets = openService(deadline, &failure);
    if (!secrets)
        return failure == Outcome::NoKeyring; // nothing can be left where there is no keyring
    const QByteArray keep = keepPath.toUtf8();
    const bool removed = removeWith(secrets, deadline, account, keep.isEmpty() ? nullptr : keep.constData());
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

// What a write left: the new item (its path; empty when the keyring refused it) and whether the
// older items under the account were all deleted.
struct Written
{
    QString path;
    bool alone = false;
};

// Stores the value as a new item and only then deletes the older ones (items made by other tools
// carry other attributes and would match beside it).
Written writeNow(const QString &value, const QString &account)
{
    const CallDeadline deadline;
    Outcome failure = Outcome::Unreadable;
    SecretService *secrets = openService(deadline, &failure);
    if (!secrets)
        return {};
    Written written;
    if (SecretCollection *collection = unlockedDefaultCollection(secrets, deadline)) {
        if (SecretItem *item = createItem(collection, deadline, account, value)) {
            written.path = QString::fromUtf8(pathOf(item));
            written.alone = removeWith(secrets, deadline, account, pathOf(item));
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
    // What the keyring did not remove when asked goes first: forgotten items are gone for the
    // app, and only the newest value of a write counts, whatever the keyring still holds (a
    // start-up after a forget or a write the keyring did not carry out).
    PendingRemovals pending;
    QString keepPath;
    bool forgotten = false;
    for (const PendingRemovals::Entry &entry : pending.entries(service())) {
        if (removeNow(entry.account, entry.keepPath)) {
            pending.drop(service(), entry.account);
            continue;
        }
        if (entry.account == account) {
            forgotten = entry.keepPath.isEmpty();
            keepPath = entry.keepPath;
        }
    }
    if (forgotten)
        return {Lookup::Outcome::Absent, {}};
    const CallDeadline deadline;
    Outcome failure = Outcome::Unreadable;
    SecretService *secrets = openService(deadline, &failure);
    if (!secrets) {
        qCDebug(lcKeyring) << (failure == Outcome::NoKeyring ? "no keyring" : "keyring not reachable");
        return {failure, {}};
    }
    Lookup result = lookupWith(secrets, deadline, account, keepPath.toUtf8());
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
    const Written written = writeNow(*value, account);
    if (written.alone) {
        // Only the new value left: nothing pending under this account any more.
        qCDebug(lcKeyring) << "stored the item" << account;
        PendingRemovals().drop(service(), account);
    } else if (!written.path.isEmpty()) {
        qCInfo(lcKeyring) << "stored the item" << account << "- older ones removed at the next start";
        PendingRemovals().add(service(), account, written.path);
    } else {
        qCInfo(lcKeyring) << "could not store the item" << account;
    }
    return written.alone;
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
