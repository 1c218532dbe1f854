#include "style/Brand.h"

#include <QJSEngine>

Brand *Brand::create(QQmlEngine *, QJSEngine *)
{
    static Brand *instance = new Brand; // constants only; shared by every engine
    QJSEngine::setObjectOwnership(instance, QJSEngine::CppOwnership);
    return instance;
}

QVariantList Brand::neonStops() const
{
    QVariantList colours;
    for (const QColor &colour : neon)
        colours.append(colour);
    return colours;
}
