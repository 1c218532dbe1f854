#include "ProportionalDigitsFont.h"

#include <QFile>
#include <QFontDatabase>
#include <QHash>
#include <QRawFont>
#include <QtEndian>

namespace norvane::test {

namespace {

quint16 read16(const QByteArray &bytes, qsizetype at)
{
    return qFromBigEndian<quint16>(bytes.constData() + at);
}

quint32 read32(const QByteArray &bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.constData() + at);
}

QByteArray utf16(const QByteArray &latin1)
{
    QByteArray wide;
    for (const char c : latin1)
        wide.append('\0').append(c);
    return wide;
}

QString loadFont()
{
    QFile file(QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray font = file.readAll();
    const QList<quint32> one = QRawFont(font, 12).glyphIndexesForString(QStringLiteral("1"));
    QHash<QByteArray, std::pair<qsizetype, qsizetype>> tables; // offset and length by tag
    for (int i = 0; i < read16(font, 4); ++i) {
        const qsizetype record = 12 + 16 * i;
        tables.insert(font.mid(record, 4), {read32(font, record + 8), read32(font, record + 12)});
        if (font.mid(record, 4) == "hdmx")
            font.replace(record, 4, "xdmx"); // its per-size widths would keep the old ones
    }
    if (one.size() != 1 || !tables.contains("hhea") || !tables.contains("hmtx") || !tables.contains("name") ||
        one.first() >= read16(font, tables["hhea"].first + 34))
        return {};
    const qsizetype advance = tables["hmtx"].first + 4 * qsizetype(one.first());
    qToBigEndian<quint16>(read16(font, advance) / 2, font.data() + advance);
    // A family of its own, named in as many letters so that nothing in the table moves.
    const auto [nameAt, nameLength] = tables["name"];
    QByteArray names = font.mid(nameAt, nameLength);
    names.replace("DejaVu Sans", "Jitter Sans").replace(utf16("DejaVu Sans"), utf16("Jitter Sans"));
    font.replace(nameAt, nameLength, names);
    const int id = QFontDatabase::addApplicationFontFromData(font);
    return id < 0 ? QString() : QFontDatabase::applicationFontFamilies(id).value(0);
}

} // namespace

QString proportionalDigitsFamily()
{
    static const QString family = loadFont();
    return family;
}

} // namespace norvane::test
