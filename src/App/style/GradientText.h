#pragma once

#include <QColor>
#include <QFont>
#include <QQuickPaintedItem>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

// One line of text filled with a horizontal gradient from its leading to its trailing edge
// (the colours evenly spaced). Drawn with QPainter, so it works with every scene-graph backend.
class GradientText : public QQuickPaintedItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QString text READ text WRITE setText NOTIFY textChanged FINAL)
    Q_PROPERTY(QFont font READ font WRITE setFont NOTIFY fontChanged FINAL)
    Q_PROPERTY(QVariantList colors READ colors WRITE setColors NOTIFY colorsChanged FINAL)

public:
    explicit GradientText(QQuickItem *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QFont font() const { return m_font; }
    void setFont(const QFont &font);
    QVariantList colors() const { return m_colors; }
    void setColors(const QVariantList &colors);

    void paint(QPainter *painter) override;

Q_SIGNALS:
    void textChanged();
    void fontChanged();
    void colorsChanged();

private:
    void updateImplicitSize();

    QString m_text;
    QFont m_font;
    QVariantList m_colors;
};
