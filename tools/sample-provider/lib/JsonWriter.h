#pragma once

#include <QByteArray>
#include <QList>

// Writes JSON text straight into a byte buffer. The whole-catalog answers of the large sizes run to
// a hundred megabytes; building them through QJsonDocument would take seconds and several copies.
// Keys and texts are UTF-8.
class JsonWriter
{
public:
    // Php writes what PHP's json_encode sends by default, as the provider panels do: every "/" as
    // "\/", every non-ASCII character as \uXXXX (lower-case hex, a surrogate pair above U+FFFF).
    // Plain escapes what JSON requires and nothing else.
    enum class Style { Php, Plain };

    explicit JsonWriter(qsizetype reserve = 0, Style style = Style::Php);
    explicit JsonWriter(Style style) : JsonWriter(0, style) {}

    void beginArray();
    void endArray();
    void beginObject();
    void endObject();
    // Starts a member of the current object; the next value call writes its value.
    JsonWriter &key(const char *name);

    void string(const QByteArray &utf8);
    void string(const char *utf8);
    void number(qint64 value);
    void number(double value);
    void null();
    // A literal written as it is (for numbers no C++ type can hold, for example).
    void raw(const char *literal);

    // Shorthands for one member.
    void field(const char *name, const QByteArray &utf8) { key(name).string(utf8); }
    void field(const char *name, const char *utf8) { key(name).string(utf8); }
    void field(const char *name, qint64 value) { key(name).number(value); }
    void field(const char *name, int value) { key(name).number(qint64(value)); }
    void field(const char *name, double value) { key(name).number(value); }
    void nullField(const char *name) { key(name).null(); }

    const QByteArray &data() const { return m_out; }
    QByteArray take();

private:
    void beforeValue();
    void escaped(const char *begin, const char *end);
    void escapedPhp(const char *begin, const char *end);
    void asciiEscape(unsigned char c);
    void unicodeEscape(char32_t unit);

    QByteArray m_out;
    // One entry per open array or object: true while it has no element yet.
    QList<bool> m_empty;
    bool m_afterKey = false;
    Style m_style;
};
