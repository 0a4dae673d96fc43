#pragma once

#include <QSize>

class QFontMetrics;

// Sizes of the program's windows are given in dialog units, as the layouts
// were drawn; the dialog font turns them into pixels, so every window keeps
// its proportions at any font size.
namespace DialogUnits {

// The horizontal base unit is the mean width of the Latin letters, the
// vertical one the line height; a dialog unit is a quarter and an eighth of
// them.
QSize ToPixels(const QFontMetrics& fm, int widthDlu, int heightDlu);

} // namespace DialogUnits
