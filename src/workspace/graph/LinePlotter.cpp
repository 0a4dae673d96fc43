#include "LinePlotter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Cuts the segment to the rectangle [lo, hi] on both axes (Liang–Barsky);
// false when nothing of it is inside.
bool Clip(double& x0, double& y0, double& x1, double& y1, double xlo, double ylo, double xhi, double yhi)
{
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0 - xlo, xhi - x0, y0 - ylo, yhi - y0};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const double nx0 = x0 + t0 * dx, ny0 = y0 + t0 * dy;
    x1 = x0 + t1 * dx;
    y1 = y0 + t1 * dy;
    x0 = nx0;
    y0 = ny0;
    return true;
}

} // namespace

void LinePlotter::Line(int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    if (width_ <= 0 || height_ <= 0)
        return;
    const auto inside = [&](int x, int y) { return x >= 0 && y >= 0 && x < width_ && y < height_; };
    if (!inside(x0, y0) || !inside(x1, y1)) {
        // A point far off the surface (a value held at the pixel limit)
        // must not cost a walk over a million pixels.
        double fx0 = x0, fy0 = y0, fx1 = x1, fy1 = y1;
        if (!Clip(fx0, fy0, fx1, fy1, -1, -1, width_, height_))
            return;
        x0 = static_cast<int>(std::lround(fx0));
        y0 = static_cast<int>(std::lround(fy0));
        x1 = static_cast<int>(std::lround(fx1));
        y1 = static_cast<int>(std::lround(fy1));
    }
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    const bool flat = dx >= -dy;
    int err = dx + dy;
    for (;;) {
        Plot(x0, y0, colour);
        if (flat)
            Plot(x0, y0 + 1, colour);
        else
            Plot(x0 + 1, y0, colour);
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void LinePlotter::Frame(int left, int top, int right, int bottom, std::uint32_t colour)
{
    for (int x = left; x <= right; ++x) {
        Plot(x, top, colour);
        Plot(x, bottom, colour);
    }
    for (int y = top; y <= bottom; ++y) {
        Plot(left, y, colour);
        Plot(right, y, colour);
    }
}

void LinePlotter::DottedLine(int x0, int y0, int x1, int y1, std::uint32_t colour)
{
    if (y0 == y1) {
        for (int x = std::max(x0, 0); x <= std::min(x1, width_ - 1); ++x)
            if ((x - x0) % 2 == 0)
                Plot(x, y0, colour);
    } else if (x0 == x1) {
        for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y)
            if ((y - y0) % 2 == 0)
                Plot(x0, y, colour);
    }
}
