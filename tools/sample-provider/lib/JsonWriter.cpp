#include "JsonWriter.h"

#include <charconv>
#include <cstring>

JsonWriter::JsonWriter(qsizetype reserve)
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

void JsonWriter::escaped(const char *begin, const char *end)
{
    static const char hex[] = "0123456789abcdef";
    const char *run = begin;
    for (const char *p = begin; p != end; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        m_out.append(run, p - run);
        switch (c) {
        case '"': m_out += "\\\""; break;
        case '\\': m_out += "\\\\"; break;
        case '\n': m_out += "\\n"; break;
        case '\t': m_out += "\\t"; break;
        case '\r': m_out += "\\r"; break;
        default:
            m_out += "\\u00";
            m_out += hex[c >> 4];
            m_out += hex[c & 0xf];
        }
        run = p + 1;
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
