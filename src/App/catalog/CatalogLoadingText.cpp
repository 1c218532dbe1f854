#include "catalog/CatalogLoadingText.h"

#include <algorithm>
#include <cmath>

namespace {

const QString prefix = QStringLiteral("Preparando catálogo… ");

} // namespace

QString CatalogLoadingText::forFraction(double fraction)
{
    // A NaN from a broken progress report shows as 0 rather than a garbage integer.
    const double percent = std::isfinite(fraction) ? std::trunc(std::clamp(fraction, 0.0, 1.0) * 100.0) : 0.0;
    return prefix + QString::number(int(percent)) + QLatin1Char('%');
}

QString CatalogLoadingText::forBytes(qint64 bytes)
{
    // QString::asprintf is locale-independent: always a decimal point.
    return prefix + QString::asprintf("%.1f", double(bytes) / 1048576.0) + QStringLiteral(" MB");
}
