#pragma once
// Numbers as the reports and exports write them.

#include <QString>

namespace zarvo {

/// A number in general form: shortest text, at most 15 significant digits, '.' as decimal
/// point, no thousands separator ("4", "4.0167", "102.5"); never "-0".
QString generalNumber(double value);

} // namespace zarvo
