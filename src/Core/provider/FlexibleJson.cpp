#include "provider/FlexibleJson.h"

#include "provider/DecimalInteger.h"
#include "provider/JsonText.h"

#include <charconv>
#include <cmath>

namespace FlexibleJson {

namespace {

using simdjson::ondemand::json_type;

std::string_view trimmedToken(std::string_view token)
{
    while (!token.empty() &&
           (token.back() == ' ' || token.back() == '\t' || token.back() == '\n' || token.back() == '\r'))
        token.remove_suffix(1);
    return token;
}

bool isIntegerLiteral(std::string_view token)
{
    return token.find_first_of(".eE") == std::string_view::npos;
}

std::optional<qint64> toInt64(std::string_view digits)
{
    qint64 value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

std::optional<double> toDouble(std::string_view token)
{
    double value = 0;
    const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
    if (error != std::errc() || end != token.data() + token.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Whole doubles in [-2^63, 2^63) convert to qint64 exactly.
std::optional<qint64> wholeToInt64(double value)
{
    if (std::trunc(value) != value || value < -9223372036854775808.0 || value >= 9223372036854775808.0)
        return std::nullopt;
    return qint64(value);
}

// A whole double beyond 64 bits, in plain digits: its shortest round-trip digits followed by
// zeros (1e300 gives "1" and 300 zeros), never scientific notation.
std::string_view wholeBeyondInt64(double value, std::string &scratch)
{
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
    const std::string_view text(buffer, size_t(written.ptr - buffer));
    const size_t e = text.find('e');
    const int exponent = std::stoi(std::string(text.substr(e + 1)));
    scratch.clear();
    for (const char c : text.substr(0, e)) {
        if (c != '.')
            scratch.push_back(c);
    }
    const size_t digits = scratch.size() - (scratch.front() == '-' ? 1 : 0);
    // Whole and at least 2^63 in size, so the exponent covers every significant digit.
    scratch.append(size_t(exponent) + 1 - digits, '0');
    return scratch;
}

std::string_view numberText(std::string_view token, std::string &scratch)
{
    if (isIntegerLiteral(token)) {
        // A JSON integer has no "+" and no leading zeros, so its token is already its decimal
        // text; one beyond 64 bits keeps its exact digits.
        if (token == "-0")
            return "0";
        return token;
    }
    const std::optional<double> value = toDouble(token);
    if (!value)
        return token; // beyond the double range: the digits as written are the faithful text
    char buffer[400]; // the longest fixed rendering of a double has 309 integral digits
    std::to_chars_result written;
    if (const std::optional<qint64> whole = wholeToInt64(*value))
        written = std::to_chars(buffer, buffer + sizeof buffer, *whole);
    else if (std::trunc(*value) == *value)
        return wholeBeyondInt64(*value, scratch);
    else
        written = std::to_chars(buffer, buffer + sizeof buffer, *value); // shortest round trip
    if (written.ec != std::errc())
        return token;
    scratch.assign(buffer, written.ptr);
    return scratch;
}

// A string's content in place in the (already UTF-8-validated) input, escapes still in: JsonText
// decodes them on the way to UTF-16, in the same pass that widens the text.
std::optional<std::string_view> stringText(simdjson::ondemand::value &value)
{
    const std::string_view token = trimmedToken(value.raw_json_token());
    if (token.size() < 2 || token.front() != '"' || token.back() != '"')
        return std::nullopt;
    return token.substr(1, token.size() - 2);
}

} // namespace

std::optional<std::string_view> flexibleString(simdjson::ondemand::value &value, std::string &scratch)
{
    json_type type;
    if (value.type().get(type))
        return std::nullopt;
    if (type == json_type::string)
        return stringText(value);
    if (type == json_type::number)
        return numberText(trimmedToken(value.raw_json_token()), scratch);
    return std::nullopt;
}

std::optional<QString> flexibleString(simdjson::ondemand::value &value)
{
    std::string scratch;
    const std::optional<std::string_view> text = flexibleString(value, scratch);
    if (!text)
        return std::nullopt;
    return JsonText::toQString(*text);
}

std::optional<qint64> flexibleInt(simdjson::ondemand::value &value)
{
    json_type type;
    if (value.type().get(type))
        return std::nullopt;
    if (type == json_type::string) {
        const std::optional<std::string_view> text = stringText(value);
        return text ? decimalInteger(*text) : std::nullopt;
    }
    if (type != json_type::number)
        return std::nullopt;
    const std::string_view token = trimmedToken(value.raw_json_token());
    if (isIntegerLiteral(token))
        return toInt64(token);
    const std::optional<double> number = toDouble(token);
    return number ? wholeToInt64(*number) : std::nullopt;
}

qsizetype byteOrderMarkLength(const QByteArray &body)
{
    return body.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

simdjson::padded_string_view paddedView(QByteArray &body)
{
    if (body.capacity() - body.size() < qsizetype(simdjson::SIMDJSON_PADDING))
        body.reserve(body.size() + qsizetype(simdjson::SIMDJSON_PADDING));
    const size_t skipped = size_t(byteOrderMarkLength(body));
    return simdjson::padded_string_view(body.constData() + skipped, size_t(body.size()) - skipped,
                                        size_t(body.capacity()) - skipped);
}

std::optional<qint64> decimalInteger(std::string_view text)
{
    if (!JsonText::hasEscape(text))
        return DecimalInteger::parse(text);
    return DecimalInteger::parse(QStringView(JsonText::toQString(text)));
}

std::optional<std::string_view> fieldKey(simdjson::ondemand::field &field, std::string &unescaped)
{
    // raw() points just past the opening quote; the parser has checked that the key closes.
    const char *raw = field.key().raw();
    if (!raw)
        return std::nullopt;
    const char *end = raw;
    bool escaped = false;
    for (; *end != '"'; ++end) {
        if (*end == '\\') {
            escaped = true;
            ++end; // the escaped character, which may be a quote
        }
    }
    const std::string_view key(raw, size_t(end - raw));
    if (!escaped)
        return key; // compared in place
    unescaped = JsonText::toQString(key).toStdString();
    return unescaped;
}

} // namespace FlexibleJson
