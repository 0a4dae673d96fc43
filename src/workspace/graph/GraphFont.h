#pragma once

#include <QFont>

// The face of every text the graph and the fitted text draw: Tahoma where it
// is installed, else the platform's sans-serif, at a character height in
// pixels.
QFont GraphFont(int pixelHeight);
