#include "style/TextStyle.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QJSEngine>

TextStyle *TextStyle::create(QQmlEngine *, QJSEngine *)
{
    static TextStyle *instance = new TextStyle; // constants only; shared by every engine
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}

bool TextStyle::hasTabularDigits(const QFont &font)
{
    const QFontMetricsF metrics(font);
    const qreal zero = metrics.horizontalAdvance(QLatin1Char('0'));
    for (char digit = '1'; digit <= '9'; ++digit) {
        if (!qFuzzyCompare(metrics.horizontalAdvance(QLatin1Char(digit)), zero))
            return false;
    }
    return true;
}

QFont TextStyle::tabularDigits(int pixelSize) const
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixelSize);
    if (hasTabularDigits(font))
        return font;
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPixelSize(pixelSize);
    return fixed;
}
