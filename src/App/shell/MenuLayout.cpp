#include "shell/MenuLayout.h"

#include <algorithm>

qreal MenuLayout::cardWidth(qreal available, int count, qreal spacing)
{
    if (count <= 0)
        return 0;
    return std::max<qreal>(0, (available - spacing * (count - 1)) / count);
}
