#pragma once

#include <cstdint>

// Two-pixel lines straight into 32-bit pixel memory. A log graph draws four
// lines of a thousand points on every refresh; the painter's stroker needs
// several milliseconds for that, this a small fraction of one.
class LinePlotter {
public:
    // `bits` is the first row; `stride` counts pixels from one row to the
    // next.
    LinePlotter(std::uint32_t* bits, int width, int height, int stride)
        : bits_(bits), width_(width), height_(height), stride_(stride)
    {
    }

    // The line from (x0, y0) to (x1, y1), both ends included, two pixels
    // wide: the second pixel below a flat line, beside a steep one. Parts
    // outside the memory are left out.
    void Line(int x0, int y0, int x1, int y1, std::uint32_t colour);

    // A dotted one-pixel horizontal or vertical line, ends included: every
    // other pixel, starting with the first.
    void DottedLine(int x0, int y0, int x1, int y1, std::uint32_t colour);

    // A one-pixel outline through the columns left to right and the rows
    // top to bottom, all included.
    void Frame(int left, int top, int right, int bottom, std::uint32_t colour);

private:
    void Plot(int x, int y, std::uint32_t colour)
    {
        if (x >= 0 && y >= 0 && x < width_ && y < height_)
            bits_[static_cast<std::int64_t>(y) * stride_ + x] = colour;
    }

    std::uint32_t* bits_;
    int width_;
    int height_;
    int stride_;
};
