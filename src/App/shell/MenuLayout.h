#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

// Geometry of the main menu's card row: equal cards sharing the measured width.
class MenuLayout : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(qreal cardSpacing READ cardSpacing CONSTANT FINAL)

public:
    using QObject::QObject;

    static constexpr qreal spacing = 12;

    qreal cardSpacing() const { return spacing; }

    // max(0, (available - spacing * (count - 1)) / count); 0 when there are no cards.
    Q_INVOKABLE static qreal cardWidth(qreal available, int count, qreal spacing = MenuLayout::spacing);
};
