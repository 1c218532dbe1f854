#pragma once

#include <QLoggingCategory>

// One category an area, all silent by default: a normal run prints nothing. Turn one on with
// QT_LOGGING_RULES, e.g. QT_LOGGING_RULES="norvane.*=true" or "norvane.keyring.debug=true".
// A line never carries a credential: name what failed and why, never a user name, password,
// PIN or an address that holds them.
Q_DECLARE_LOGGING_CATEGORY(lcProvider)
Q_DECLARE_LOGGING_CATEGORY(lcStorage)
Q_DECLARE_LOGGING_CATEGORY(lcPlayback)
Q_DECLARE_LOGGING_CATEGORY(lcImages)
Q_DECLARE_LOGGING_CATEGORY(lcKeyring)
Q_DECLARE_LOGGING_CATEGORY(lcAccessibility)
// libVLC's own log (NORVANE_VLC_LOG turns it on), its addresses without user name and password.
Q_DECLARE_LOGGING_CATEGORY(lcVlc)
