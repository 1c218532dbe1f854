#pragma once

#include <QString>
#include <optional>

// One generic-password item of the desktop keyring (Secret Service), identified by the app's fixed
// service text and an account name. Every failure is silent: a read that fails is "absent", a
// write or delete that fails leaves the keyring as it was.
namespace Keychain {

// The fixed service attribute shared by every item of Norvane.
QString service();

std::optional<QString> read(const QString &account);

// Absent or empty deletes the item; otherwise the item ends up holding exactly this value.
void write(const std::optional<QString> &value, const QString &account);

void remove(const QString &account);

} // namespace Keychain
