#include "ImagePainter.h"

#include <QBuffer>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>

QByteArray ImagePainter::draw(const QString &title, QSize size, Format format)
{
    QImage image(size, format == Format::Png ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QColor colour = QColor::fromHsv(int(qHash(title) % 360), 150, 170);
    image.fill(colour);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const int w = size.width();
    const int h = size.height();
    // The title band: the lower third of a poster, the lower half of a square logo.
    const int bandTop = w >= h ? h / 2 : h * 2 / 3;
    painter.fillRect(QRect(0, bandTop, w, h - bandTop), colour.darker(180));
    painter.setPen(QPen(colour.lighter(140), std::max(2, w / 100)));
    const int radius = std::min(w, bandTop) / 4;
    painter.drawEllipse(QPoint(w / 2, bandTop / 2), radius, radius);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(std::max(10, std::min(w, h) / 12));
    painter.setFont(font);
    painter.setPen(Qt::white);
    const int margin = w / 16;
    painter.drawText(QRect(margin, bandTop, w - 2 * margin, h - bandTop), Qt::AlignCenter | Qt::TextWordWrap,
                     title);
    painter.end();

    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format == Format::Png ? "PNG" : "JPEG", format == Format::Png ? -1 : 85);
    return bytes;
}
