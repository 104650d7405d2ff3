#pragma once

#include <QImage>

namespace tavrin {

// A Gaussian blur of an alpha image, made of three box blurs per direction
// (within a few per cent of a true Gaussian). Pixels outside the image count
// as transparent.
class Blur {
public:
    // Blurs a Format_Alpha8 image in place with the given standard deviation
    // in pixels. Other formats and a non-positive deviation are left as they
    // are.
    static void alpha(QImage& image, qreal sigma);

    // The widths (odd) of the three boxes for a standard deviation.
    static void boxSizes(qreal sigma, int sizes[3]);
};

} // namespace tavrin
