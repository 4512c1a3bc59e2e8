// Windows icon files for the program file's own icon, written by hand because the icon must stay 24-bit.
#pragma once

#include <QByteArray>
#include <QImage>

namespace lurendo {

// One-image .ico holding `image` as a 24-bit bottom-up bitmap with an all-opaque mask.
QByteArray ico_24bit(const QImage& image);

}  // namespace lurendo
