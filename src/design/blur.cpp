#include "design/blur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tavrin {

namespace {

// One box pass over a line of `n` values, `stride` apart; out-of-range values
// are 0. `scratch` holds a copy of the line.
void boxLine(uchar* data, int n, qsizetype stride, int radius, std::vector<uchar>& scratch)
{
    if (radius <= 0 || n <= 0)
        return;
    scratch.resize(size_t(n));
    for (qsizetype i = 0; i < n; ++i)
        scratch[size_t(i)] = data[i * stride];
    const int width = 2 * radius + 1;
    int sum = 0;
    for (int i = 0; i <= std::min(radius, n - 1); ++i)
        sum += scratch[size_t(i)];
    for (qsizetype i = 0; i < n; ++i) {
        data[i * stride] = uchar((sum + width / 2) / width);
        const qsizetype in = i + radius + 1;
        const qsizetype out = i - radius;
        if (in < n)
            sum += scratch[size_t(in)];
        if (out >= 0)
            sum -= scratch[size_t(out)];
    }
}

} // namespace

void Blur::boxSizes(qreal sigma, int sizes[3])
{
    constexpr int n = 3;
    const qreal ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const qreal m = (12 * sigma * sigma - n * lower * lower - 4 * n * lower - 3 * n) / (-4.0 * lower - 4);
    const int smaller = int(std::lround(m));
    for (int i = 0; i < n; ++i)
        sizes[i] = i < smaller ? lower : upper;
}

void Blur::alpha(QImage& image, qreal sigma)
{
    if (image.format() != QImage::Format_Alpha8 || !(sigma > 0) || image.isNull())
        return;
    int sizes[3];
    boxSizes(sigma, sizes);
    const int w = image.width();
    const int h = image.height();
    const qsizetype bpl = image.bytesPerLine();
    uchar* bits = image.bits();
    std::vector<uchar> scratch;
    for (int y = 0; y < h; ++y)
        for (int size : sizes)
            boxLine(bits + y * bpl, w, 1, (size - 1) / 2, scratch);
    for (int x = 0; x < w; ++x)
        for (int size : sizes)
            boxLine(bits + x, h, bpl, (size - 1) / 2, scratch);
}

} // namespace tavrin
