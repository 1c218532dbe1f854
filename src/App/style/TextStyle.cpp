#include "TextStyle.h"

#include <QJSEngine>

TextStyle *TextStyle::create(QQmlEngine *, QJSEngine *)
{
    static TextStyle *instance = new TextStyle; // constants only; shared by every engine
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}
