#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

// Draws the provider's images: the title in white on a colour picked from the title, with a
// darker band, so each record has its own recognisable picture. JPEG for posters and stills,
// PNG for channel logos.
class ImagePainter
{
public:
    enum class Format { Jpeg, Png };

    static QByteArray draw(const QString &title, QSize size, Format format);
};
