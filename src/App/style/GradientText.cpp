#include "style/GradientText.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

GradientText::GradientText(QQuickItem *parent) : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    updateImplicitSize();
}

void GradientText::setText(const QString &text)
{
    if (m_text == text)
        return;
    m_text = text;
    updateImplicitSize();
    update();
    Q_EMIT textChanged();
}

void GradientText::setFont(const QFont &font)
{
    if (m_font == font)
        return;
    m_font = font;
    updateImplicitSize();
    update();
    Q_EMIT fontChanged();
}

void GradientText::setColors(const QVariantList &colors)
{
    if (m_colors == colors)
        return;
    m_colors = colors;
    update();
    Q_EMIT colorsChanged();
}

void GradientText::updateImplicitSize()
{
    const QFontMetricsF metrics(m_font);
    setImplicitSize(std::ceil(metrics.horizontalAdvance(m_text)), std::ceil(metrics.height()));
}

void GradientText::paint(QPainter *painter)
{
    if (m_text.isEmpty() || m_colors.isEmpty())
        return;
    const QFontMetricsF metrics(m_font);
    const qreal textWidth = metrics.horizontalAdvance(m_text);
    const qreal left = (width() - textWidth) / 2;
    const qreal baseline = (height() - metrics.height()) / 2 + metrics.ascent();

    QLinearGradient gradient(left, 0, left + textWidth, 0);
    const qsizetype last = m_colors.size() - 1;
    for (qsizetype i = 0; i <= last; ++i)
        gradient.setColorAt(last > 0 ? qreal(i) / qreal(last) : 0.0, m_colors.at(i).value<QColor>());

    QPainterPath path;
    path.addText(left, baseline, m_font, m_text);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(path, gradient);
}
