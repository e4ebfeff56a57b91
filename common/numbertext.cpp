#include "numbertext.h"
#include <cmath>

namespace zarvo {

QString generalNumber(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0"); // never "-0"
    return QString::number(value, 'g', 15);
}

} // namespace zarvo
