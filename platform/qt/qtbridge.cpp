#include "platform/qt/qtbridge.h"

#include "platform/base/codepage.h"
#include "platform/base/fs_write.h"

#include <QBuffer>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <limits>

namespace tnv {

namespace qtbridge {

QString toQString(const std::string& cp1252Text) {
    QString out;
    out.reserve(int(cp1252Text.size()));
    for (unsigned char b : cp1252Text)
        out.append(QChar(char16_t(cp1252::toUnicode(b))));
    return out;
}

std::string fromQString(const QString& text) {
    std::string out;
    out.reserve(std::size_t(text.size()));
    for (char32_t cp : text.toUcs4()) {
        int b = cp1252::fromUnicode(cp);
        out.push_back(b < 0 ? '?' : char(b));
    }
    return out;
}

int physicalLength(int logical, double ratio) {
    // The small allowance keeps a product that is whole from growing by one through rounding.
    double physical = std::ceil(double(logical) * ratio - 1e-6);
    if (!(physical > 0))
        return 0;
    if (physical >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max(); // no image is made that large
    return int(physical);
}

QImage imageAtRatio(int w, int h, double ratio) {
    if (!(ratio > 0) || w < 0 || h < 0)
        return QImage();
    QImage image(physicalLength(w, ratio), physicalLength(h, ratio), QImage::Format_RGB32);
    if (!image.isNull())
        image.setDevicePixelRatio(ratio);
    return image;
}

bool savePng(const QImage& image, const std::string& diskPath, std::string* error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        if (error)
            *error = "cannot make the picture for " + diskPath;
        return false;
    }
    return fsx::writeFile(diskPath, std::string_view(bytes.constData(), std::size_t(bytes.size())),
                          error, fsx::WriteOptions::NamedOutput()) == fsx::WriteStatus::Written;
}

} // namespace qtbridge

} // namespace tnv
