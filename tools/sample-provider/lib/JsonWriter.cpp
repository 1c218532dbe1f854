#include "JsonWriter.h"

#include <algorithm>
#include <charconv>
#include <cstring>

JsonWriter::JsonWriter(qsizetype reserve, Style style) : m_style(style)
{
    if (reserve > 0)
        m_out.reserve(reserve);
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_empty.isEmpty()) {
        if (!m_empty.last())
            m_out += ',';
        m_empty.last() = false;
    }
}

void JsonWriter::beginArray()
{
    beforeValue();
    m_out += '[';
    m_empty.append(true);
}

void JsonWriter::endArray()
{
    m_out += ']';
    m_empty.removeLast();
}

void JsonWriter::beginObject()
{
    beforeValue();
    m_out += '{';
    m_empty.append(true);
}

void JsonWriter::endObject()
{
    m_out += '}';
    m_empty.removeLast();
}

JsonWriter &JsonWriter::key(const char *name)
{
    beforeValue();
    m_out += '"';
    escaped(name, name + std::strlen(name));
    m_out += "\":";
    m_afterKey = true;
    return *this;
}

namespace {
const char hex[] = "0123456789abcdef";
}

void JsonWriter::escaped(const char *begin, const char *end)
{
    if (m_style == Style::Php)
        return escapedPhp(begin, end);
    const char *run = begin;
    for (const char *p = begin; p != end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        m_out.append(run, p - run);
        asciiEscape(c);
        run = p + 1;
    }
    m_out.append(run, end - run);
}

// The escape of an ASCII character that JSON (or, for "/", PHP) does not leave as it is.
void JsonWriter::asciiEscape(unsigned char c)
{
    switch (c) {
    case '"':
        m_out += "\\\"";
        break;
    case '\\':
        m_out += "\\\\";
        break;
    case '/':
        m_out += "\\/";
        break;
    case '\b':
        m_out += "\\b";
        break;
    case '\f':
        m_out += "\\f";
        break;
    case '\n':
        m_out += "\\n";
        break;
    case '\t':
        m_out += "\\t";
        break;
    case '\r':
        m_out += "\\r";
        break;
    default:
        unicodeEscape(c);
    }
}

void JsonWriter::unicodeEscape(char32_t unit)
{
    const char text[] = {
        '\\', 'u', hex[(unit >> 12) & 0xf], hex[(unit >> 8) & 0xf], hex[(unit >> 4) & 0xf], hex[unit & 0xf]};
    m_out.append(text, sizeof text);
}

// The texts are valid UTF-8 (they come from this program): each sequence is decoded without checks.
void JsonWriter::escapedPhp(const char *begin, const char *end)
{
    const char *run = begin;
    for (const char *p = begin; p != end;) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c < 0x80 && c != '"' && c != '\\' && c != '/') {
            ++p;
            continue;
        }
        m_out.append(run, p - run);
        if (c < 0x80) {
            asciiEscape(c);
            run = ++p;
            continue;
        }
        const int length = c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : 2;
        char32_t code = c & (0x7f >> length);
        for (int i = 1; i < length && p + i != end; ++i)
            code = (code << 6) | (static_cast<unsigned char>(p[i]) & 0x3f);
        if (code > 0xffff) {
            code -= 0x10000;
            unicodeEscape(0xd800 + (code >> 10));
            unicodeEscape(0xdc00 + (code & 0x3ff));
        } else {
            unicodeEscape(code);
        }
        p += std::min<qsizetype>(length, end - p);
        run = p;
    }
    m_out.append(run, end - run);
}

void JsonWriter::string(const QByteArray &utf8)
{
    beforeValue();
    m_out += '"';
    escaped(utf8.constData(), utf8.constData() + utf8.size());
    m_out += '"';
}

void JsonWriter::string(const char *utf8)
{
    beforeValue();
    m_out += '"';
    escaped(utf8, utf8 + std::strlen(utf8));
    m_out += '"';
}

void JsonWriter::number(qint64 value)
{
    beforeValue();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_out.append(buffer, result.ptr - buffer);
}

void JsonWriter::number(double value)
{
    beforeValue();
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    m_out.append(buffer, result.ptr - buffer);
}

void JsonWriter::null()
{
    beforeValue();
    m_out += "null";
}

void JsonWriter::raw(const char *literal)
{
    beforeValue();
    m_out += literal;
}

QByteArray JsonWriter::take()
{
    m_empty.clear();
    m_afterKey = false;
    return std::exchange(m_out, {});
}
