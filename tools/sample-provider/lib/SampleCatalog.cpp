#include "SampleCatalog.h"

#include "JsonWriter.h"

#include <QDateTime>
#include <QTimeZone>
#include <array>

namespace {

struct CategorySpec
{
    const char *name; // nullptr: the category comes without a name, as some panels send it
};

constexpr std::array<CategorySpec, 12> liveCategories{{
    {"Noticias"},
    {"Deportes"},
    {"Películas y Cine"},
    {"Infantil"},
    {"Música"},
    {"Documentales"},
    {"Series TV"},
    {"Cultura y Educación"},
    {"Regionales España"},
    {"Latinoamérica"},
    {"Adultos +18"},
    {"XXX Canales"},
}};
constexpr std::array<CategorySpec, 20> vodCategories{{
    {"Acción"},   {"Aventura"},   {"Animación"},       {"Comedia"},
    {"Crimen"},   {"Documental"}, {"Drama"},           {"Familia"},
    {"Fantasía"}, {"Historia"},   {"Terror"},          {"Música y Musicales"},
    {"Misterio"}, {"Romance"},    {"Ciencia ficción"}, {"Suspenso"},
    {"Bélica"},   {nullptr},      {"XXX Películas"},   {"18+ Eróticas"},
}};
constexpr std::array<CategorySpec, 15> seriesCategories{{
    {"Drama"},
    {"Comedia"},
    {"Policiales"},
    {"Telenovelas"},
    {"Animadas"},
    {"Documentales"},
    {"Ciencia ficción"},
    {"Fantasía"},
    {"Suspenso"},
    {"Infantiles"},
    {"Anime"},
    {"Realities"},
    {"Miniseries"},
    {"Turcas"},
    {"Adultos +18"},
}};
constexpr int liveCategoryBase = 1;
constexpr int vodCategoryBase = 40;
constexpr int seriesCategoryBase = 80;
constexpr qint64 channelIdBase = 1001;
constexpr qint64 movieIdBase = 200001;
constexpr qint64 seriesIdBase = 1;

constexpr std::array nounsMasculine{"secreto", "camino",  "silencio", "invierno", "viaje",
                                    "corazón", "jardín",  "río",      "tesoro",   "guardián",
                                    "destino", "sueño",   "pueblo",   "faro",     "lobo",
                                    "océano",  "capitán", "niño",     "señor",    "último baile"};
constexpr std::array nounsFeminine{"montaña", "niña",    "canción", "isla",     "noche",    "ciudad",
                                   "promesa", "sombra",  "luna",    "tormenta", "frontera", "leyenda",
                                   "señal",   "máscara", "huida",   "araña",    "estación", "búsqueda"};
constexpr std::array adjectivesMasculine{"último", "perdido",  "oscuro",   "pequeño", "eterno", "salvaje",
                                         "dorado", "olvidado", "valiente", "extraño", "helado", "prohibido"};
constexpr std::array adjectivesFeminine{"última", "perdida",  "oscura",   "pequeña", "eterna", "salvaje",
                                        "dorada", "olvidada", "valiente", "extraña", "helada", "prohibida"};
constexpr std::array places{"Valparaíso", "Cádiz",         "los Andes", "la Patagonia", "Aragón",
                            "Logroño",    "Peñíscola",     "Bogotá",    "Cancún",       "Querétaro",
                            "Mérida",     "San Sebastián", "Córdoba",   "Ñuñoa",        "Temuco",
                            "Málaga",     "Cartagena",     "Chiloé",    "Asunción",     "Medellín"};
constexpr std::array people{"Begoña", "Íñigo",   "Martín", "Sofía",  "Inés", "Tomás",   "Lucía",   "Ramón",
                            "Ximena", "Joaquín", "Ángela", "Néstor", "Zoë",  "Agustín", "Maribel", "Iñaki"};
constexpr std::array channelWords{"TV", "Canal", "Señal", "Red", "Visión", "Estación", "Onda", "Sintonía"};
constexpr std::array channelTags{"", " HD", " FHD", " SD", " 4K", " +1"};
constexpr std::array genres{"Drama",     "Comedia",    "Acción, Aventura", "Suspenso", "Ciencia ficción",
                            "Animación", "Documental", "Romance",          "Terror",   "Fantasía, Familia"};
constexpr std::array programmes{"Noticiero central",
                                "Fútbol: Colo-Colo contra la U",
                                "Documental: la Patagonia salvaje",
                                "Cocina con Begoña",
                                "Telediario",
                                "Música en vivo desde Medellín",
                                "El tiempo",
                                "Concurso: ¿Quién sabe más?",
                                "Dibujos animados",
                                "Cine de la tarde: El niño y la montaña",
                                "Magacín de la mañana",
                                "Reportaje: Chiloé, isla de leyendas",
                                "Teleserie: Corazón de Ñuñoa",
                                "Deportes al día",
                                "Debate político",
                                "Viajes por Aragón"};

// The base years of the loose "added"/"last_modified" stamps: 2019-01-01 to late 2026.
constexpr qint64 epochFrom = 1546300800;
constexpr qint64 epochSpan = 248000000;

template <typename List> const char *pick(const List &list, quint64 h)
{
    return list[h % list.size()];
}

QByteArray capitalized(const char *word)
{
    QString text = QString::fromUtf8(word);
    if (!text.isEmpty())
        text[0] = text[0].toUpper();
    return text.toUtf8();
}

QByteArray numberText(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray base64Utf8(const QString &text)
{
    return text.toUtf8().toBase64();
}

// A number from the request, or absent for a missing or non-numeric parameter.
std::optional<qint64> idParameter(const QUrlQuery &query, const char *name)
{
    const QString text = query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded).trimmed();
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// A loose rating, cycling through the shapes panels send.
void writeRating(JsonWriter &out, const char *key, quint64 h)
{
    switch (h % 8) {
    case 0:
        out.field(key, 4.5);
        break;
    case 1:
        out.field(key, "8");
        break;
    case 2:
        out.field(key, "");
        break;
    case 3:
        out.field(key, "0");
        break;
    case 4:
        out.nullField(key);
        break;
    case 5:
        out.field(key, "7.2");
        break;
    case 6:
        out.field(key, qint64(6));
        break;
    default:
        out.field(key, "6.8");
        break;
    }
}

// A loose epoch stamp: text, number, missing, empty, or a calendar date.
void writeStamp(JsonWriter &out, const char *key, qint64 epoch, quint64 h)
{
    switch (h % 20) {
    case 10:
    case 11:
    case 12:
    case 13:
    case 14:
        out.field(key, epoch);
        break;
    case 15:
    case 16:
        break; // missing
    case 17:
        out.field(key, "");
        break;
    case 18:
        out.field(key, QDateTime::fromSecsSinceEpoch(epoch, QTimeZone::utc())
                           .toString(QStringLiteral("yyyy-MM-dd"))
                           .toUtf8());
        break;
    default:
        out.field(key, numberText(epoch));
        break;
    }
}

// An id as the number or as its text.
void writeId(JsonWriter &out, const char *key, qint64 id, bool asText)
{
    if (asText)
        out.field(key, numberText(id));
    else
        out.field(key, id);
}

// Now and then a title carries an emoji (some outside the basic plane) or a quoted subtitle, as
// panels fed by hand do. Deterministic in the record's index; the first records stay plain.
QByteArray decoratedTitle(QByteArray title, int index)
{
    static constexpr std::array emoji{"\xF0\x9F\x8E\xAC", "\xF0\x9F\x8D\xBF", "\xE2\xAD\x90",
                                      "\xE2\x9D\xA4\xEF\xB8\x8F"};
    if (index % 23 == 7)
        title += QByteArray(" ") + emoji[size_t(index / 23) % emoji.size()];
    else if (index % 29 == 11)
        title += " \"versión extendida\"";
    return title;
}

// A plot in lines, as panels store what editors typed: some lines end in "\r\n".
QByteArray plotLines(QByteArray plot, int index, const char *closing)
{
    if (index % 4 == 1)
        plot += QByteArray("\r\n\r\n") + closing;
    else if (index % 6 == 2)
        plot += QByteArray(" La crítica la llamó \"") + closing + "\".";
    return plot;
}

QByteArray durationText(int seconds)
{
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'))
        .toUtf8();
}

} // namespace

SampleCatalog::SampleCatalog(Size size, quint64 seed, JsonWriter::Style style)
    : m_size(size), m_counts(countsFor(size)), m_seed(seed), m_style(style)
{
}

std::optional<SampleCatalog::Size> SampleCatalog::sizeFromName(const QString &name)
{
    if (name == QLatin1String("default"))
        return Size::Default;
    if (name == QLatin1String("large"))
        return Size::Large;
    if (name == QLatin1String("extreme"))
        return Size::Extreme;
    return std::nullopt;
}

SampleCatalog::Counts SampleCatalog::countsFor(Size size)
{
    switch (size) {
    case Size::Default:
        return {300, 3000, 400};
    case Size::Large:
        return {5000, 100000, 20000};
    case Size::Extreme:
        return {60000, 250000, 35000};
    }
    return {300, 3000, 400};
}

QString SampleCatalog::missingImagePath()
{
    return QStringLiteral("/images/missing.jpg");
}

quint64 SampleCatalog::hash(int kind, qint64 index, int salt) const
{
    // splitmix64 over the seed, the kind of record, its index and what is being chosen.
    quint64 x =
        m_seed ^ (quint64(kind) << 56) ^ (quint64(index) * 0x9E3779B97F4A7C15ull) ^ (quint64(salt) << 40);
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

int SampleCatalog::categoryOf(Kind kind, int index) const
{
    switch (kind) {
    case Kind::Live:
        // The first channels, the broken ones among them, are news channels.
        return index < 3 ? 0 : int(hash(0, index, 1) % liveCategories.size());
    case Kind::Vod:
        return int(hash(1, index, 1) % vodCategories.size());
    case Kind::Series:
        return int(hash(2, index, 1) % seriesCategories.size());
    }
    return 0;
}

std::optional<int> SampleCatalog::categoryIndexOf(Kind kind, const QString &categoryId) const
{
    bool ok = false;
    const int id = categoryId.trimmed().toInt(&ok);
    if (!ok)
        return std::nullopt;
    int base = liveCategoryBase;
    int count = int(liveCategories.size());
    if (kind == Kind::Vod) {
        base = vodCategoryBase;
        count = int(vodCategories.size());
    } else if (kind == Kind::Series) {
        base = seriesCategoryBase;
        count = int(seriesCategories.size());
    }
    if (id < base || id >= base + count)
        return std::nullopt;
    return id - base;
}

QByteArray SampleCatalog::movieTitle(int index) const
{
    const quint64 h = hash(1, index, 2);
    const quint64 w = hash(1, index, 3);
    QByteArray title;
    switch (h % 7) {
    case 0:
        title = QByteArray("El ") + pick(adjectivesMasculine, w) + ' ' + pick(nounsMasculine, w >> 8);
        break;
    case 1:
        title = QByteArray("La ") + pick(nounsFeminine, w) + ' ' + pick(adjectivesFeminine, w >> 8);
        break;
    case 2:
        title = capitalized(pick(nounsMasculine, w)) + " de " + pick(places, w >> 8);
        break;
    case 3:
        title = QByteArray(pick(people, w)) + " y la " + pick(nounsFeminine, w >> 8);
        break;
    case 4:
        title = QByteArray("La ") + pick(nounsFeminine, w) + " del " + pick(nounsMasculine, w >> 8);
        break;
    case 5:
        title = QByteArray("Regreso a ") + pick(places, w);
        break;
    default:
        title = QByteArray("Los años de ") + pick(people, w);
        break;
    }
    if ((h >> 8) % 3 == 0)
        title += " (" + QByteArray::number(1980 + int((h >> 16) % 47)) + ')';
    else if ((h >> 8) % 11 == 1)
        title += " 2";
    return decoratedTitle(title, index);
}

QByteArray SampleCatalog::seriesTitle(int index) const
{
    const quint64 h = hash(2, index, 2);
    const quint64 w = hash(2, index, 3);
    QByteArray title;
    switch (h % 6) {
    case 0:
        title = QByteArray("Crónicas de ") + pick(places, w);
        break;
    case 1:
        title = QByteArray("La casa de ") + pick(people, w);
        break;
    case 2:
        title = QByteArray("Los misterios de ") + pick(places, w);
        break;
    case 3:
        title = capitalized(pick(nounsFeminine, w)) + ' ' + pick(adjectivesFeminine, w >> 8);
        break;
    case 4:
        title = QByteArray("Hermanos ") + pick(people, w) + " — " + pick(places, w >> 8);
        break;
    default:
        title = QByteArray("El ") + pick(nounsMasculine, w) + " de " + pick(people, w >> 8);
        break;
    }
    return decoratedTitle(title, index);
}

QByteArray SampleCatalog::channelTitle(int index) const
{
    if (channelIdBase + index == brokenPlaylistChannelId)
        return "Señal alternativa (solo TS)";
    if (channelIdBase + index == brokenChannelId)
        return "Señal caída";
    if (channelIdBase + index == htmlPlaylistChannelId)
        return "Lista que es una página (solo TS)";
    if (channelIdBase + index == cutChannelId)
        return "Canal con cortes";
    const quint64 h = hash(0, index, 2);
    const int category = categoryOf(Kind::Live, index);
    QByteArray name;
    if (category >= 10)
        name = QByteArray(category == 10 ? "Adultos " : "XXX ") + QByteArray::number(index % 97 + 1);
    else
        name = QByteArray(pick(channelWords, h)) + ' ' + pick(places, h >> 8);
    return name + pick(channelTags, h >> 16);
}

bool SampleCatalog::movieWithoutCategory(int index)
{
    return index % 331 == 9;
}

int SampleCatalog::seasonCount(int seriesIndex) const
{
    return 1 + int(hash(2, seriesIndex, 4) % 4);
}

int SampleCatalog::episodeCount(int seriesIndex, int season) const
{
    return 3 + int(hash(2, seriesIndex, 10 + season) % 8);
}

std::optional<SampleCatalog::EpisodeRef> SampleCatalog::episodeRef(qint64 episodeId) const
{
    const qint64 seriesId = episodeId / 100;
    const int season = int(episodeId % 100 / 20);
    const int episode = int(episodeId % 20);
    const qint64 seriesIndex = seriesId - seriesIdBase;
    // Every fortieth series (episodelessSeriesId first) has no episodes.
    if (episodeId <= 0 || seriesIndex < 0 || seriesIndex >= m_counts.series || seriesId % 40 == 0)
        return std::nullopt;
    if (season < 1 || season > seasonCount(int(seriesIndex)) || episode < 1 ||
        episode > episodeCount(int(seriesIndex), season))
        return std::nullopt;
    return EpisodeRef{int(seriesIndex), season, episode};
}

std::optional<QString> SampleCatalog::channelName(qint64 channelId) const
{
    const qint64 index = channelId - channelIdBase;
    if (index < 0 || index >= m_counts.channels)
        return std::nullopt;
    return QString::fromUtf8(channelTitle(int(index)));
}

std::optional<QString> SampleCatalog::movieName(qint64 movieId) const
{
    const qint64 index = movieId - movieIdBase;
    if (index < 0 || index >= m_counts.movies)
        return std::nullopt;
    return QString::fromUtf8(movieTitle(int(index)));
}

std::optional<QString> SampleCatalog::seriesName(qint64 seriesId) const
{
    const qint64 index = seriesId - seriesIdBase;
    if (index < 0 || index >= m_counts.series)
        return std::nullopt;
    return QString::fromUtf8(seriesTitle(int(index)));
}

std::optional<QString> SampleCatalog::episodeTitle(qint64 episodeId) const
{
    const auto ref = episodeRef(episodeId);
    if (!ref)
        return std::nullopt;
    return QString::fromUtf8(seriesTitle(ref->seriesIndex)) +
           QStringLiteral(" T%1 E%2").arg(ref->season).arg(ref->episode);
}

std::optional<SampleMedia::Kind> SampleCatalog::liveMedia(qint64 channelId, const QString &extension) const
{
    const qint64 index = channelId - channelIdBase;
    if (index < 0 || index >= m_counts.channels || channelId == brokenChannelId)
        return std::nullopt;
    if (extension == QLatin1String("ts"))
        return SampleMedia::Kind::LiveTs;
    if (extension == QLatin1String("m3u8") && channelId != brokenPlaylistChannelId &&
        channelId != htmlPlaylistChannelId)
        return SampleMedia::Kind::LivePlaylist;
    return std::nullopt;
}

std::optional<SampleMedia::Kind> SampleCatalog::movieMedia(qint64 movieId) const
{
    const qint64 index = movieId - movieIdBase;
    if (index < 0 || index >= m_counts.movies)
        return std::nullopt;
    return movieId % 2 == 0 ? SampleMedia::Kind::MovieWithTracks : SampleMedia::Kind::MoviePlain;
}

std::optional<SampleMedia::Kind> SampleCatalog::episodeMedia(qint64 episodeId) const
{
    if (!episodeRef(episodeId))
        return std::nullopt;
    return episodeId == truncatedEpisodeId ? SampleMedia::Kind::EpisodeTruncated : SampleMedia::Kind::Episode;
}

QByteArray SampleCatalog::answer(const QString &action, const QUrlQuery &query, const QString &base) const
{
    const QString categoryText = query.queryItemValue(QStringLiteral("category_id"), QUrl::FullyDecoded);
    const bool hasCategory = query.hasQueryItem(QStringLiteral("category_id"));
    const auto listOf = [&](Kind kind) -> QByteArray {
        if (!hasCategory)
            return wholeList(kind, base);
        const auto category = categoryIndexOf(kind, categoryText);
        return category ? streams(kind, category, base) : QByteArray("[]");
    };
    if (action == QLatin1String("get_live_categories"))
        return categories(Kind::Live);
    if (action == QLatin1String("get_vod_categories"))
        return categories(Kind::Vod);
    if (action == QLatin1String("get_series_categories"))
        return categories(Kind::Series);
    if (action == QLatin1String("get_live_streams"))
        return listOf(Kind::Live);
    if (action == QLatin1String("get_vod_streams"))
        return listOf(Kind::Vod);
    if (action == QLatin1String("get_series"))
        return listOf(Kind::Series);
    if (action == QLatin1String("get_short_epg"))
        return shortEpg(query);
    if (action == QLatin1String("get_vod_info"))
        return vodInfo(query, base);
    if (action == QLatin1String("get_series_info"))
        return seriesInfo(query, base);
    return "[]";
}

QByteArray SampleCatalog::categories(Kind kind) const
{
    JsonWriter out(m_style);
    out.beginArray();
    const auto write = [&](const auto &list, int base) {
        for (int i = 0; i < int(list.size()); ++i) {
            out.beginObject();
            // Some panels send category ids as numbers.
            writeId(out, "category_id", base + i, i % 4 != 3);
            if (list[i].name)
                out.field("category_name", list[i].name);
            out.field("parent_id", qint64(0));
            out.endObject();
        }
    };
    if (kind == Kind::Live)
        write(liveCategories, liveCategoryBase);
    else if (kind == Kind::Vod)
        write(vodCategories, vodCategoryBase);
    else
        write(seriesCategories, seriesCategoryBase);
    out.endArray();
    return out.take();
}

QByteArray SampleCatalog::wholeList(Kind kind, const QString &base) const
{
    return streams(kind, std::nullopt, base);
}

QByteArray SampleCatalog::streams(Kind kind, std::optional<int> categoryIndex, const QString &base) const
{
    const QString cacheKey = QString::number(int(kind)) + '|' +
                             (categoryIndex ? QString::number(*categoryIndex) : QString()) + '|' + base;
    {
        QMutexLocker locker(&m_cacheMutex);
        const auto cached = m_cache.constFind(cacheKey);
        if (cached != m_cache.cend())
            return *cached;
    }
    const QByteArray baseUtf8 = base.toUtf8();
    int count = m_counts.channels;
    qsizetype perRecord = 420;
    if (kind == Kind::Vod) {
        count = m_counts.movies;
        perRecord = 460;
    } else if (kind == Kind::Series) {
        count = m_counts.series;
        perRecord = 900;
    }
    JsonWriter out(categoryIndex ? 0 : count * perRecord, m_style);
    out.beginArray();
    for (int i = 0; i < count; ++i) {
        // A movie sent without a category is listed only in the whole catalog.
        if (categoryIndex &&
            (categoryOf(kind, i) != *categoryIndex || (kind == Kind::Vod && movieWithoutCategory(i))))
            continue;
        if (kind == Kind::Live)
            writeChannel(out, i, baseUtf8);
        else if (kind == Kind::Vod)
            writeMovie(out, i, baseUtf8);
        else
            writeSeries(out, i, baseUtf8);
    }
    out.endArray();
    QByteArray body = out.take();
    QMutexLocker locker(&m_cacheMutex);
    m_cache.insert(cacheKey, body);
    return body;
}

void SampleCatalog::writeChannel(JsonWriter &out, int index, const QByteArray &base) const
{
    const qint64 id = channelIdBase + index;
    const quint64 h = hash(0, index, 5);
    out.beginObject();
    switch (index % 17) {
    case 5:
        break; // no "num" at all
    case 9:
        out.nullField("num");
        break;
    case 3:
    case 12:
        out.field("num", numberText(index + 1));
        break;
    default:
        out.field("num", qint64(index + 1));
        break;
    }
    if (index % 151 == 100) {
        // no "name"
    } else if (index % 211 == 150) {
        out.nullField("name");
    } else {
        out.field("name", channelTitle(index));
    }
    out.field("stream_type", "live");
    writeId(out, "stream_id", id, index % 4 == 1);
    if (index % 29 == 3)
        out.field("stream_icon", "");
    else if (index % 31 == 4)
        out.nullField("stream_icon");
    else if (index % 47 == 9)
        out.field("stream_icon", base + missingImagePath().toUtf8());
    else
        out.field("stream_icon", base + "/images/logo/" + QByteArray::number(id) + ".png");
    if (index % 5 == 0)
        out.nullField("epg_channel_id");
    else
        out.field("epg_channel_id", "canal" + QByteArray::number(id) + ".cl");
    writeStamp(out, "added", epochFrom + qint64(h % epochSpan), h >> 20);
    writeId(out, "category_id", liveCategoryBase + categoryOf(Kind::Live, index), index % 5 != 2);
    out.field("custom_sid", "");
    out.field("tv_archive", qint64(0));
    out.field("direct_source", "");
    out.field("tv_archive_duration", index % 2 ? "0" : "");
    out.endObject();
}

void SampleCatalog::writeMovie(JsonWriter &out, int index, const QByteArray &base) const
{
    const qint64 id = movieIdBase + index;
    const quint64 h = hash(1, index, 5);
    out.beginObject();
    out.field("num", qint64(index + 1));
    if (index % 173 == 50) {
        // no "name"
    } else if (index % 257 == 77) {
        out.nullField("name");
    } else {
        out.field("name", movieTitle(index));
    }
    out.field("stream_type", "movie");
    writeId(out, "stream_id", id, index % 5 == 1);
    if (index % 41 == 7)
        out.field("stream_icon", "");
    else if (index % 53 == 11)
        out.nullField("stream_icon");
    else if (index % 61 == 17)
        out.field("stream_icon", base + missingImagePath().toUtf8());
    else if (index % 97 == 13)
        out.field("stream_icon", base + "/images/poster/" + QByteArray::number(id) + "-xl.jpg");
    else
        out.field("stream_icon", base + "/images/poster/" + QByteArray::number(id) + ".jpg");
    writeRating(out, "rating", h);
    out.field("rating_5based", double(h % 11) / 2.0);
    writeStamp(out, "added", epochFrom + qint64((h >> 4) % epochSpan), h >> 24);
    if (movieWithoutCategory(index))
        out.nullField("category_id");
    else
        writeId(out, "category_id", vodCategoryBase + categoryOf(Kind::Vod, index), index % 6 != 3);
    out.field("container_extension", index % 20 == 19 ? "mkv" : "mp4");
    out.nullField("custom_sid");
    out.field("direct_source", "");
    // Some panels carry ids from other databases that overflow every integer type; nobody reads them.
    if (index % 1000 == 999)
        out.key("tmdb_id").raw("123456789012345678901234");
    out.endObject();
}

void SampleCatalog::writeSeries(JsonWriter &out, int index, const QByteArray &base) const
{
    const qint64 id = seriesIdBase + index;
    const quint64 h = hash(2, index, 5);
    out.beginObject();
    out.field("num", qint64(index + 1));
    if (index % 131 == 60)
        out.nullField("name");
    else if (index % 97 != 30) // that one comes without "name"
        out.field("name", seriesTitle(index));
    writeId(out, "series_id", id, index % 4 == 2);
    if (index % 37 == 5)
        out.field("cover", "");
    else if (index % 43 == 8)
        out.nullField("cover");
    else
        out.field("cover", base + "/images/cover/" + QByteArray::number(id) + ".jpg");
    if (index % 9 == 4)
        out.nullField("plot");
    else
        out.field("plot",
                  plotLines("Una historia de " + QByteArray(pick(people, h)) + " en " + pick(places, h >> 8) +
                                ": secretos, canciones y una búsqueda que cambia a toda la familia.",
                            index, "Nueva temporada en 2027."));
    out.field("cast", QByteArray(pick(people, h >> 12)) + ", " + pick(people, h >> 16));
    out.field("director", pick(people, h >> 20));
    out.field("genre", pick(genres, h >> 24));
    out.field("releaseDate",
              QByteArray::number(1995 + int(h % 31)) + "-0" + QByteArray::number(1 + int(h % 9)) + "-15");
    writeStamp(out, "last_modified", epochFrom + qint64((h >> 4) % epochSpan), h >> 28);
    writeRating(out, "rating", h >> 32);
    out.field("rating_5based", double((h >> 36) % 11) / 2.0);
    out.key("backdrop_path").beginArray();
    if (index % 3 == 0)
        out.string(base + "/images/cover/" + QByteArray::number(id) + ".jpg");
    out.endArray();
    out.field("youtube_trailer", "");
    if (index % 2)
        out.field("episode_run_time", "45");
    else
        out.field("episode_run_time", qint64(45));
    writeId(out, "category_id", seriesCategoryBase + categoryOf(Kind::Series, index), index % 5 != 1);
    out.endObject();
}

QByteArray SampleCatalog::shortEpg(const QUrlQuery &query) const
{
    const auto streamId = idParameter(query, "stream_id");
    if (!streamId)
        return "[]";
    const qint64 index = *streamId - channelIdBase;
    if (index < 0 || index >= m_counts.channels)
        return "[]";
    const int limit = std::clamp<int>(int(idParameter(query, "limit").value_or(4)), 1, 50);
    const qint64 slot = index % 3 == 0 ? 1800 : 3600;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 firstStart = now - now % slot;
    const bool textStamps = index % 2 == 0;

    JsonWriter out(m_style);
    out.beginObject();
    out.key("epg_listings").beginArray();
    for (int k = 0; k < limit; ++k) {
        const qint64 start = firstStart + k * slot;
        const qint64 stop = start + slot;
        const QString title = QString::fromUtf8(pick(programmes, hash(0, index * 1000 + start / slot, 6)));
        const QString description =
            title + QStringLiteral(". Emisión en español con subtítulos; ñandú incluido.");
        out.beginObject();
        out.field("id", numberText(index * 100000 + start / slot % 100000));
        out.field("epg_id", numberText(*streamId));
        out.field("title", base64Utf8(title));
        out.field("lang", "es");
        const auto text = [](qint64 t) {
            return QDateTime::fromSecsSinceEpoch(t, QTimeZone::utc())
                .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                .toUtf8();
        };
        out.field("start", text(start));
        out.field("end", text(stop));
        out.field("description", base64Utf8(description));
        out.field("channel_id", "canal" + QByteArray::number(*streamId) + ".cl");
        if (textStamps) {
            out.field("start_timestamp", numberText(start));
            out.field("stop_timestamp", numberText(stop));
        } else {
            out.field("start_timestamp", start);
            out.field("stop_timestamp", stop);
        }
        // Panels mark the programme on air with 1 or "1", depending on their version.
        if (k == 0 && index % 4 == 1)
            out.field("now_playing", "1");
        else
            out.field("now_playing", qint64(k == 0 ? 1 : 0));
        out.field("has_archive", qint64(0));
        out.endObject();
    }
    out.endArray();
    out.endObject();
    return out.take();
}

QByteArray SampleCatalog::vodInfo(const QUrlQuery &query, const QString &base) const
{
    const auto movieId = idParameter(query, "vod_id");
    if (!movieId || !movieName(*movieId))
        return "[]";
    const int index = int(*movieId - movieIdBase);
    const quint64 h = hash(1, index, 7);
    const QByteArray baseUtf8 = base.toUtf8();
    const QByteArray title = movieTitle(index);
    const int durationSecs = 80 * 60 + int(h % 70) * 60;

    JsonWriter out(m_style);
    out.beginObject();
    if (index % 20 == 7) {
        // Panels without metadata for a movie send an empty array here.
        out.key("info").beginArray();
        out.endArray();
    } else {
        out.key("info").beginObject();
        out.field("movie_image", baseUtf8 + "/images/poster/" + QByteArray::number(*movieId) + ".jpg");
        out.key("backdrop_path").beginArray();
        out.string(baseUtf8 + "/images/poster/" + QByteArray::number(*movieId) + "-xl.jpg");
        out.endArray();
        if (index % 1000 == 999)
            out.key("tmdb_id").raw("123456789012345678901234");
        else
            out.field("tmdb_id", numberText(10000 + index));
        out.field("name", title);
        out.field("o_name", title);
        out.field("plot",
                  plotLines("En " + QByteArray(pick(places, h)) + ", " + pick(people, h >> 8) +
                                " descubre un secreto que su familia guardó durante años. Una película "
                                "sobre la añoranza, el perdón y el camino de regreso.",
                            index, "Conmovedora y honesta"));
        out.field("cast", QByteArray(pick(people, h >> 12)) + ", " + pick(people, h >> 16) + ", " +
                              pick(people, h >> 20));
        out.field("director", pick(people, h >> 24));
        out.field("genre", pick(genres, h >> 28));
        out.field("releasedate",
                  QByteArray::number(1980 + int(h % 46)) + "-05-1" + QByteArray::number(int(h % 10)));
        out.field("country", index % 2 ? "Chile" : "España");
        if (index % 3 == 0)
            out.field("duration_secs", numberText(durationSecs));
        else
            out.field("duration_secs", qint64(durationSecs));
        out.field("duration", durationText(durationSecs));
        writeRating(out, "rating", h >> 32);
        out.field("youtube_trailer", "");
        out.endObject();
    }
    out.key("movie_data").beginObject();
    writeId(out, "stream_id", *movieId, index % 2 == 0);
    out.field("name", title);
    writeStamp(out, "added", epochFrom + qint64((hash(1, index, 5) >> 4) % epochSpan), h >> 36);
    writeId(out, "category_id", vodCategoryBase + categoryOf(Kind::Vod, index), true);
    out.field("container_extension", index % 20 == 19 ? "mkv" : "mp4");
    out.nullField("custom_sid");
    out.field("direct_source", "");
    out.endObject();
    out.endObject();
    return out.take();
}

void SampleCatalog::writeEpisode(JsonWriter &out, const EpisodeRef &ref, const QByteArray &base) const
{
    const qint64 seriesId = seriesIdBase + ref.seriesIndex;
    const qint64 id = seriesId * 100 + ref.season * 20 + ref.episode;
    const quint64 h = hash(3, id, 1);
    out.beginObject();
    writeId(out, "id", id, ref.seriesIndex % 6 != 5);
    if (ref.seriesIndex % 7 == 3)
        out.field("episode_num", numberText(ref.episode));
    else
        out.field("episode_num", qint64(ref.episode));
    out.field("title", seriesTitle(ref.seriesIndex) + " - T" + QByteArray::number(ref.season) + "E" +
                           QByteArray::number(ref.episode) + " - " + capitalized(pick(nounsFeminine, h)));
    out.field("container_extension", "mp4");
    if (ref.seriesIndex % 13 == 6 && ref.episode == 2) {
        out.key("info").beginArray();
        out.endArray();
    } else {
        out.key("info").beginObject();
        out.field("movie_image", base + "/images/still/" + QByteArray::number(id) + ".jpg");
        out.field("plot",
                  plotLines("Capítulo " + QByteArray::number(ref.episode) + ": " + pick(people, h >> 8) +
                                " vuelve a " + pick(places, h >> 16) + " y nada es como antes.",
                            ref.episode, "Próximo capítulo: el regreso."));
        const int seconds = 40 * 60 + int(h % 20) * 60;
        if (ref.episode % 2)
            out.field("duration_secs", qint64(seconds));
        else
            out.field("duration_secs", numberText(seconds));
        out.field("duration", durationText(seconds));
        out.field("releasedate",
                  "2021-0" + QByteArray::number(ref.season) + "-1" + QByteArray::number(ref.episode % 10));
        writeRating(out, "rating", h >> 24);
        out.endObject();
    }
    // Some panels leave the season out of the episode or send it as text.
    if (ref.seriesIndex % 7 == 2)
        out.field("season", numberText(ref.season));
    else if (ref.seriesIndex % 11 != 3)
        out.field("season", qint64(ref.season));
    out.field("added", numberText(epochFrom + qint64(h % epochSpan)));
    out.field("custom_sid", "");
    out.field("direct_source", "");
    out.endObject();
}

QByteArray SampleCatalog::seriesInfo(const QUrlQuery &query, const QString &base) const
{
    const auto seriesId = idParameter(query, "series_id");
    if (!seriesId || !seriesName(*seriesId))
        return "[]";
    const int index = int(*seriesId - seriesIdBase);
    const QByteArray baseUtf8 = base.toUtf8();
    const int seasons = seasonCount(index);
    const bool withoutEpisodes = *seriesId % 40 == 0;

    JsonWriter out(m_style);
    out.beginObject();
    out.key("seasons").beginArray();
    for (int s = 1; s <= seasons && !withoutEpisodes; ++s) {
        out.beginObject();
        out.field("air_date", "2021-0" + QByteArray::number(s) + "-01");
        out.field("episode_count", qint64(episodeCount(index, s)));
        out.field("id", qint64(*seriesId * 10 + s));
        out.field("name", "Temporada " + QByteArray::number(s));
        out.field("season_number", qint64(s));
        out.field("cover", baseUtf8 + "/images/cover/" + QByteArray::number(*seriesId) + ".jpg");
        out.endObject();
    }
    out.endArray();
    out.key("info");
    JsonWriter listing(m_style);
    writeSeries(listing, index, baseUtf8);
    out.raw(listing.data().constData());
    if (withoutEpisodes) {
        out.key("episodes").beginArray();
        out.endArray();
    } else {
        out.key("episodes").beginObject();
        // Some panels list the seasons newest first; clients must not rely on key order.
        const bool descending = index % 5 == 1;
        for (int n = 0; n < seasons; ++n) {
            const int s = descending ? seasons - n : n + 1;
            out.key(QByteArray::number(s).constData()).beginArray();
            for (int e = 1; e <= episodeCount(index, s); ++e)
                writeEpisode(out, EpisodeRef{index, s, e}, baseUtf8);
            out.endArray();
        }
        out.endObject();
    }
    out.endObject();
    return out.take();
}
