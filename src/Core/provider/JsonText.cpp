#include "provider/JsonText.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace JsonText {

namespace {

constexpr char16_t replacement = 0xfffd;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The four hex digits of a "\uXXXX" starting at `p`, or -1 when they are not there.
int unicodeEscape(const char *p, const char *end)
{
    if (end - p < 6 || p[0] != '\\' || p[1] != 'u')
        return -1;
    int unit = 0;
    for (int i = 2; i < 6; ++i) {
        const int digit = hexDigit(p[i]);
        if (digit < 0)
            return -1;
        unit = unit << 4 | digit;
    }
    return unit;
}

// One escape at `p` (a backslash): writes its units and gives where the text goes on.
const char *escape(QChar *&out, const char *p, const char *end)
{
    if (end - p < 2) {
        *out++ = QChar(replacement);
        return end;
    }
    char16_t simple = 0;
    switch (p[1]) {
    case '"':
        simple = u'"';
        break;
    case '\\':
        simple = u'\\';
        break;
    case '/':
        simple = u'/';
        break;
    case 'b':
        simple = u'\b';
        break;
    case 'f':
        simple = u'\f';
        break;
    case 'n':
        simple = u'\n';
        break;
    case 'r':
        simple = u'\r';
        break;
    case 't':
        simple = u'\t';
        break;
    case 'u':
        break;
    default: // not an escape JSON knows: the backslash is lost, what follows stays
        *out++ = QChar(replacement);
        return p + 1;
    }
    if (simple) {
        *out++ = QChar(simple);
        return p + 2;
    }
    const int unit = unicodeEscape(p, end);
    if (unit < 0) {
        *out++ = QChar(replacement);
        return p + 2;
    }
    if (QChar::isHighSurrogate(char32_t(unit))) {
        const int low = unicodeEscape(p + 6, end);
        if (low >= 0 && QChar::isLowSurrogate(char32_t(low))) {
            *out++ = QChar(char16_t(unit));
            *out++ = QChar(char16_t(low));
            return p + 12;
        }
        *out++ = QChar(replacement);
        return p + 6;
    }
    *out++ = QChar(QChar::isLowSurrogate(char32_t(unit)) ? replacement : char16_t(unit));
    return p + 6;
}

// One UTF-8 sequence of two to four bytes at `p`, already validated by the parser.
const char *sequence(QChar *&out, const char *p, const char *end)
{
    const auto byte = [&](int i) {
        return p + i < end ? char32_t(static_cast<unsigned char>(p[i]) & 0x3f) : 0;
    };
    const auto lead = static_cast<unsigned char>(*p);
    if (lead < 0xe0) { // the whole Latin-1 range: "é", "ñ", "¿"
        *out++ = QChar(char16_t((lead & 0x1f) << 6 | byte(1)));
        return p + 2;
    }
    if (lead < 0xf0) {
        *out++ = QChar(char16_t((lead & 0x0f) << 12 | byte(1) << 6 | byte(2)));
        return p + 3;
    }
    if (end - p < 4) { // cut short: never more units than bytes
        *out++ = QChar(replacement);
        return end;
    }
    const char32_t code = char32_t(lead & 0x07) << 18 | byte(1) << 12 | byte(2) << 6 | byte(3);
    *out++ = QChar(QChar::highSurrogate(code));
    *out++ = QChar(QChar::lowSurrogate(code));
    return p + 4;
}

// An escape or a UTF-8 sequence, whichever starts at `p`.
const char *special(QChar *&out, const char *p, const char *end)
{
    return *p == '\\' ? escape(out, p, end) : sequence(out, p, end);
}

} // namespace

QChar *decode(QChar *out, std::string_view content)
{
    const char *p = content.data();
    const char *const end = p + content.size();
#if defined(__SSE2__)
    // Sixteen bytes at a time: widened and stored whole (the room is there, since the decoded text
    // is never longer than what is left of the content), then kept up to the first byte that is
    // neither plain ASCII nor free of a backslash.
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i zero = _mm_setzero_si128();
    while (end - p >= 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(chunk, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8), _mm_unpackhi_epi8(chunk, zero));
        const int marks = _mm_movemask_epi8(_mm_or_si128(chunk, _mm_cmpeq_epi8(chunk, backslash)));
        if (marks == 0) {
            p += 16;
            out += 16;
            continue;
        }
        const int plain = __builtin_ctz(unsigned(marks));
        p += plain;
        out += plain;
        p = special(out, p, end);
    }
#endif
    while (p < end) {
        const auto c = static_cast<unsigned char>(*p);
        if (c < 0x80 && c != '\\') {
            *out++ = QChar(char16_t(c));
            ++p;
        } else {
            p = special(out, p, end);
        }
    }
    return out;
}

QString toQString(std::string_view content)
{
    if (content.empty())
        return QString(QLatin1StringView(""));
    QString text(qsizetype(content.size()), Qt::Uninitialized);
    QChar *const begin = text.data();
    text.truncate(decode(begin, content) - begin);
    return text;
}

} // namespace JsonText
