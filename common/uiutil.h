#pragma once
// Layout in twips (1/1440 inch), converted at the screen's logical DPI.

#include <QRect>

namespace zarvo {

int twips(int tw);
QRect twipsRect(int left, int top, int width, int height);

} // namespace zarvo
