#include "ico_writer.h"

#include <QtEndian>

namespace lurendo {

namespace {

void put16(QByteArray& out, quint16 value) {
    const quint16 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 2);
}

void put32(QByteArray& out, quint32 value) {
    const quint32 le = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&le), 4);
}

int row_bytes(int bits) {
    return (bits + 31) / 32 * 4;  // bitmap rows are padded to 32 bits
}

}  // namespace

QByteArray ico_24bit(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    const int w = image.width();
    const int h = image.height();
    const int colour_row = row_bytes(w * 24);
    const int mask_row = row_bytes(w);
    const quint32 bitmap_size = 40 + static_cast<quint32>((colour_row + mask_row) * h);

    QByteArray out;
    put16(out, 0);  // reserved
    put16(out, 1);  // type: icon
    put16(out, 1);  // one image
    out.append(static_cast<char>(w >= 256 ? 0 : w));
    out.append(static_cast<char>(h >= 256 ? 0 : h));
    out.append('\0');  // no palette
    out.append('\0');
    put16(out, 1);   // planes
    put16(out, 24);  // bits per pixel
    put32(out, bitmap_size);
    put32(out, 6 + 16);  // offset of the bitmap

    put32(out, 40);
    put32(out, static_cast<quint32>(w));
    put32(out, static_cast<quint32>(2 * h));  // colour rows and mask rows
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);  // no compression
    put32(out, static_cast<quint32>((colour_row + mask_row) * h));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);

    for (int y = h - 1; y >= 0; --y) {
        const uchar* line = image.constScanLine(y);
        QByteArray row(colour_row, '\0');
        for (int x = 0; x < w; ++x) {
            row[3 * x] = static_cast<char>(line[3 * x + 2]);  // stored as blue, green, red
            row[3 * x + 1] = static_cast<char>(line[3 * x + 1]);
            row[3 * x + 2] = static_cast<char>(line[3 * x]);
        }
        out.append(row);
    }
    out.append(QByteArray(mask_row * h, '\0'));  // every pixel opaque
    return out;
}

}  // namespace lurendo
