#include "components/KeyActivation.h"

#include <QCoreApplication>
#include <QKeyEvent>

KeyActivation::KeyActivation(QObject *parent) : QObject(parent) {}

void KeyActivation::setTarget(QQuickItem *target)
{
    if (m_target == target)
        return;
    if (m_target)
        m_target->removeEventFilter(this);
    m_target = target;
    if (m_target)
        m_target->installEventFilter(this);
    Q_EMIT targetChanged();
}

bool KeyActivation::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_target || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QObject::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        key->modifiers() & ~Qt::KeypadModifier)
        return QObject::eventFilter(watched, event);
    QKeyEvent space(key->type(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), key->isAutoRepeat());
    QCoreApplication::sendEvent(m_target, &space);
    key->setAccepted(space.isAccepted());
    return space.isAccepted();
}
