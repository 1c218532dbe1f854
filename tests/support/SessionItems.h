#pragma once

#include "session/Keychain.h"
#include "session/SessionStore.h"

namespace norvane::test {

// Removes every item a sign-in leaves in the keyring, so that a test starts signed out.
inline void clearSessionItems()
{
    for (QLatin1String item :
         {SessionStore::usernameItem, SessionStore::passwordItem, SessionStore::lastUsernameItem,
          SessionStore::lastPasswordItem, SessionStore::serverUrlItem})
        Keychain::remove(item);
}

} // namespace norvane::test
