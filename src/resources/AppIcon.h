#pragma once

#include <QIcon>

// The program's icon, drawn from the same SVG that is installed with the
// desktop entry. It is rendered here into pixmaps of the usual sizes, so
// that no image plugin needs to be found at run time.
namespace AppIcon {

// The icon at 16 to 256 pixels; empty only if the SVG failed to load.
QIcon Icon();
// Where the SVG lies among the program's resources.
QString SvgPath();

} // namespace AppIcon
