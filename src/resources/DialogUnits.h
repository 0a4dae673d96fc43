#pragma once

#include <QSize>

class QFontMetrics;

// A size in dialog units, as the dialog templates give it, in pixels of the
// dialog font: the windows keep their proportions at any font size.
QSize DluToPixels(const QFontMetrics& fm, int width, int height);
