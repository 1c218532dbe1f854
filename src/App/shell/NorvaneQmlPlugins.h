#pragma once

#include <QtQml/qqmlextensionplugin.h>

// The static QML plugins of Norvane's three modules. Include it in exactly one file of a program.
Q_IMPORT_QML_PLUGIN(NorvanePlugin)
Q_IMPORT_QML_PLUGIN(Norvane_CorePlugin)
Q_IMPORT_QML_PLUGIN(Norvane_ProviderPlugin)
