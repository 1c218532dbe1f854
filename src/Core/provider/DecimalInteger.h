#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>
#include <string_view>

// Integer texts as the provider sends them (ids, epochs, season keys).
namespace DecimalInteger {

// A base-10 integer: one optional "+" or "-", then ASCII digits only ("007" is 7), no blanks,
// within the signed 64-bit range; anything else is absent.
std::optional<qint64> parse(std::string_view text);
std::optional<qint64> parse(QStringView text);

} // namespace DecimalInteger
