#include "system/Logging.h"

// QtCriticalMsg as the threshold: debug, info and warning lines stay off until a rule turns them on.
Q_LOGGING_CATEGORY(lcProvider, "norvane.provider", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcStorage, "norvane.storage", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcPlayback, "norvane.playback", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcImages, "norvane.images", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcKeyring, "norvane.keyring", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcAccessibility, "norvane.accessibility", QtCriticalMsg)
Q_LOGGING_CATEGORY(lcVlc, "norvane.vlc", QtCriticalMsg)
