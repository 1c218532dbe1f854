#pragma once

#include <QtGlobal>

// What screen readers get from Qt Quick's own accessible items, mended where Qt 6.4 falls short:
// a control with `enabled: false` reports itself disabled (Qt never says it, so a disabled
// "Entrar" reads as one to press), a password field keeps a name (Qt blanks it, lest the name
// be the password), and a slider set by a screen reader acts as when dragged (Qt only writes its
// value). Everything else is Qt's. Install once the application object exists.
//
// It builds on Qt Quick's private accessible item, whose layout Qt keeps only within one exact
// version: with any Qt but the one it was built with, Qt's stock accessibility stays (said under
// norvane.accessibility) rather than a crash.
namespace AccessibleItemFactory {
// True when the factory is installed (now or earlier); `runtimeQt` is the Qt this process runs on.
bool install(const char *runtimeQt = qVersion());
} // namespace AccessibleItemFactory
