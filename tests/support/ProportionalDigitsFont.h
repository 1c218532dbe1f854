#pragma once

#include <QString>

namespace norvane::test {

// Loads a copy of the system's DejaVu Sans whose "1" is half as wide as its other digits, as the
// digits of many interface fonts are, and returns its family; empty when the font is missing.
QString proportionalDigitsFamily();

} // namespace norvane::test
