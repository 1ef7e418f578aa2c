// Build-time tool: writes the embedded 16x16 icon as a Windows .ico holding 16, 32, 48 and 256 pixel
// images (the icon scaled up by whole factors), each an uncompressed 32-bit bitmap.
#include <cstdint>
#include <cstdio>
#include <vector>

#include "packaging/raw_icon.h"

namespace {
using Bytes = std::vector<unsigned char>;

const int iconScales[] = {1, 2, 3, 16};

void putLittle(Bytes& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
}

// A bitmap header (its height counts the colour rows and the mask rows), the colour rows bottom
// first in blue-green-red-alpha, then an all-clear transparency mask padded to 32 bits a row.
Bytes iconBitmap(const Bytes& bgr, int scale)
{
    const int side = rawIconSize * scale;
    const int maskRowBytes = (side + 31) / 32 * 4;
    Bytes out;
    putLittle(out, 40, 4);
    putLittle(out, static_cast<uint32_t>(side), 4);
    putLittle(out, static_cast<uint32_t>(2 * side), 4);
    putLittle(out, 1, 2);   // planes
    putLittle(out, 32, 2);  // bits per pixel
    putLittle(out, 0, 4);   // uncompressed
    putLittle(out, static_cast<uint32_t>(side * side * 4 + maskRowBytes * side), 4);
    putLittle(out, 0, 16);  // resolution and palette fields
    for (int y = side - 1; y >= 0; --y) {
        for (int x = 0; x < side; ++x) {
            const unsigned char* p = &bgr[((y / scale) * rawIconSize + x / scale) * 3];
            out.insert(out.end(), {p[0], p[1], p[2], 255});
        }
    }
    out.insert(out.end(), static_cast<size_t>(maskRowBytes * side), 0);
    return out;
}

// The icon directory, one entry per image, then the images in the same order.
Bytes iconFile(const Bytes& bgr)
{
    const int count = static_cast<int>(sizeof(iconScales) / sizeof(iconScales[0]));
    Bytes out;
    putLittle(out, 0, 2);
    putLittle(out, 1, 2);  // an icon, not a cursor
    putLittle(out, static_cast<uint32_t>(count), 2);
    Bytes images;
    for (int scale : iconScales) {
        const int side = rawIconSize * scale;
        Bytes image = iconBitmap(bgr, scale);
        out.push_back(static_cast<unsigned char>(side >= 256 ? 0 : side));  // 0 stands for 256
        out.push_back(static_cast<unsigned char>(side >= 256 ? 0 : side));
        putLittle(out, 0, 2);   // no palette, reserved
        putLittle(out, 1, 2);   // planes
        putLittle(out, 32, 2);  // bits per pixel
        putLittle(out, static_cast<uint32_t>(image.size()), 4);
        putLittle(out, static_cast<uint32_t>(6 + 16 * count + images.size()), 4);
        images.insert(images.end(), image.begin(), image.end());
    }
    out.insert(out.end(), images.begin(), images.end());
    return out;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s icon.raw out.ico\n", argv[0]);
        return 2;
    }
    Bytes bgr;
    if (!readRawIcon(argv[1], bgr)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    Bytes ico = iconFile(bgr);
    return writeIconFile(argv[2], ico) ? 0 : 1;
}
