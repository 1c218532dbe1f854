#pragma once

#include <QString>
#include <chrono>
#include <optional>

// One generic-password item of the desktop keyring (Secret Service), identified by the app's
// service text and an account name. Failures are never reported to the user. No call ever prompts
// (a locked keyring is left locked) and no call waits longer than the call time bound; once one
// has run into it, the other calls of the same user action (until control is back in the event
// loop) give up at once, and the next action asks the keyring again.
//
// A delete that could not be done is remembered by account name (never a value) in a small
// owner-only file: until a later call has removed the item, in this run or a later one, it reads
// as absent, so forgetting holds even while the keyring does not answer. Likewise an older item
// that a write could not delete: reads take the newest item, and a later call removes the others.
namespace Keychain {

// What a read found out about one item.
struct Lookup
{
    enum class Outcome {
        Found,      // `value` holds the item's text
        Absent,     // the keyring answered that there is no such item, or that it is empty
        NoKeyring,  // the session has no bus, or its bus has no Secret Service at all
        Unreadable, // a keyring may be there but did not say: locked, timed out, failed, not
                    // started, or a value that is not UTF-8
    };
    Outcome outcome = Outcome::Unreadable;
    QString value;
};

// The app's own service text ("app.norvane.Norvane"), the default of service().
QString appService();
// The service attribute of every item this process reads and writes.
QString service();
// Another service text, so that test programs never see each other's items nor the app's.
void setService(const QString &service);

Lookup lookup(const QString &account);
// The text when the item was found; absent otherwise (also when the keyring could not say).
std::optional<QString> read(const QString &account);

// Absent or empty deletes the item; otherwise the new item is stored first and only then any
// older one under the same service and account is deleted, so a failed write keeps the old
// value. True when exactly the new value is left (an older one that stayed is removed later).
bool write(const std::optional<QString> &value, const QString &account);

// True when no item is left (also when there is no keyring at all); otherwise the item is
// remembered as forgotten and removed by a later call.
bool remove(const QString &account);

// Upper bound of one call (1.5 s unless changed).
void setCallTimeout(std::chrono::milliseconds limit);

} // namespace Keychain
