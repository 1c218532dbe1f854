#pragma once

// Qt Quick's own accessible item never reports `enabled: false`, so a screen reader reads a
// disabled "Entrar" as one it can press. The item installed here adds the disabled state and
// announces its changes; everything else is Qt's. Call once the application object exists.
namespace AccessibleEnabledItem {
void installFactory();
}
