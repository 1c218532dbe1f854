#pragma once

#include <QMetaType>
#include <QString>
#include <QtQml/qqmlregistration.h>

// One text block of a movie's details ("Sinopsis", "Dirección", "Reparto"): its heading and text.
class DetailBlock
{
    Q_GADGET
    QML_VALUE_TYPE(detailBlock)
    Q_PROPERTY(QString heading READ heading CONSTANT FINAL)
    Q_PROPERTY(QString text READ text CONSTANT FINAL)

public:
    DetailBlock() = default;
    DetailBlock(QString heading, QString text) : m_heading(std::move(heading)), m_text(std::move(text)) {}

    const QString &heading() const { return m_heading; }
    const QString &text() const { return m_text; }

    friend bool operator==(const DetailBlock &, const DetailBlock &) = default;

private:
    QString m_heading;
    QString m_text;
};

Q_DECLARE_METATYPE(DetailBlock)
