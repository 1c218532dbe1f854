#include "provider/DecimalInteger.h"

#include <QVarLengthArray>
#include <charconv>

namespace DecimalInteger {

std::optional<qint64> parse(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::string_view digits = text;
    if (digits.front() == '+' || digits.front() == '-')
        digits.remove_prefix(1);
    if (digits.empty())
        return std::nullopt;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    // from_chars takes the "-" itself, which keeps INT64_MIN in range; "+" it does not take.
    const std::string_view signedDigits = text.front() == '+' ? digits : text;
    qint64 value = 0;
    const auto [end, error] =
        std::from_chars(signedDigits.data(), signedDigits.data() + signedDigits.size(), value);
    if (error != std::errc() || end != signedDigits.data() + signedDigits.size())
        return std::nullopt;
    return value;
}

std::optional<qint64> parse(QStringView text)
{
    // Only ASCII can be a valid integer.
    QVarLengthArray<char, 32> ascii(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c > 0x7f)
            return std::nullopt;
        ascii[i] = char(c);
    }
    return parse(std::string_view(ascii.data(), size_t(ascii.size())));
}

} // namespace DecimalInteger
