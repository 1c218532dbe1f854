#pragma once

#include <QString>
#include <chrono>
#include <optional>

// One generic-password item of the desktop keyring (Secret Service), identified by the app's fixed
// service text and an account name. Every failure is silent: a read that fails is "absent", a
// write or delete that fails leaves the keyring as it was. No call ever prompts (a locked keyring
// is left locked), and no call waits longer than the call time-out; once one has run into it, the
// keyring is not asked again during this run.
namespace Keychain {

// The fixed service attribute shared by every item of Norvane ("app.norvane.Norvane").
QString service();
// Test programs only: another service text, so that test programs running side by side never
// see each other's items nor the app's.
void setService(const QString &service);

std::optional<QString> read(const QString &account);

// Absent or empty deletes the item; otherwise the item ends up holding exactly this value.
void write(const std::optional<QString> &value, const QString &account);

void remove(const QString &account);

// Upper bound of one call (1.5 s unless changed).
void setCallTimeout(std::chrono::milliseconds limit);

} // namespace Keychain
