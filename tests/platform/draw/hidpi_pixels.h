// Pictures at a device pixel ratio (for the HiDPI tests): what counts as sharper than a logical
// pixel.
#pragma once

#include <QImage>
#include <QRect>

namespace hidpipixels {

// 2 x 2 blocks of physical pixels that are not of one colour: detail finer than a logical pixel.
inline int finerThanLogical(const QImage& image, QRect logical) {
    int n = 0;
    for (int y = logical.top(); y <= logical.bottom(); ++y)
        for (int x = logical.left(); x <= logical.right(); ++x) {
            QRgb c = image.pixel(2 * x, 2 * y);
            n += image.pixel(2 * x + 1, 2 * y) != c || image.pixel(2 * x, 2 * y + 1) != c ||
                 image.pixel(2 * x + 1, 2 * y + 1) != c;
        }
    return n;
}

} // namespace hidpipixels
