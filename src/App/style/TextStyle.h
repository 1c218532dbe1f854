#pragma once

#include <QFont>
#include <QObject>
#include <QtQml/qqmlregistration.h>

class QQmlEngine;
class QJSEngine;

// Pixel sizes of the text styles the screens name (body, callout, caption, headline, titles).
class TextStyle : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(int body MEMBER body CONSTANT FINAL)
    Q_PROPERTY(int callout MEMBER callout CONSTANT FINAL)
    Q_PROPERTY(int caption MEMBER caption CONSTANT FINAL)
    Q_PROPERTY(int headline MEMBER headline CONSTANT FINAL)
    Q_PROPERTY(int title MEMBER title CONSTANT FINAL)
    Q_PROPERTY(int largeTitle MEMBER largeTitle CONSTANT FINAL)

public:
    const int body = 15;
    const int callout = 14;
    const int caption = 12;
    const int headline = 15; // bold
    const int title = 22;
    const int largeTitle = 30;

    static TextStyle *create(QQmlEngine *, QJSEngine *);

    // The app's font at `pixelSize` when all its digits are equally wide, else the system's
    // fixed-width font: texts that count (times) then keep their width as the digits change.
    // Qt 6.4 has no way to ask a font for its tabular digits.
    Q_INVOKABLE QFont tabularDigits(int pixelSize) const;
    static bool hasTabularDigits(const QFont &font);

private:
    TextStyle() = default;
};
