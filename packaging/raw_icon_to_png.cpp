// Build-time tool: writes the embedded 24-bit blue-green-red icon as a PNG for the desktop's icon
// theme, scaled up by a whole factor, with stored (uncompressed) deflate blocks.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "packaging/raw_icon.h"

namespace {
using Bytes = std::vector<unsigned char>;

uint32_t crc32(const unsigned char* data, size_t size, uint32_t crc = 0xFFFFFFFFu)
{
    for (size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return crc;
}

void putBig32(Bytes& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<unsigned char>(value >> shift));
    }
}

void putChunk(Bytes& out, const char type[4], const Bytes& body)
{
    putBig32(out, static_cast<uint32_t>(body.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBig32(out, crc32(typed.data(), typed.size()) ^ 0xFFFFFFFFu);
}

// zlib stream of stored blocks (each at most 65535 bytes) with its Adler-32 check.
Bytes storedZlib(const Bytes& raw)
{
    Bytes out{0x78, 0x01};
    size_t offset = 0;
    do {
        size_t length = raw.size() - offset < 65535 ? raw.size() - offset : 65535;
        bool last = offset + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<unsigned char>(length));
        out.push_back(static_cast<unsigned char>(length >> 8));
        out.push_back(static_cast<unsigned char>(~length));
        out.push_back(static_cast<unsigned char>(~length >> 8));
        out.insert(out.end(), raw.begin() + offset, raw.begin() + offset + length);
        offset += length;
    } while (offset < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBig32(out, (b << 16) | a);
    return out;
}

// Filter byte 0 before every row; pixels turned from blue-green-red into red-green-blue.
Bytes scaledRows(const Bytes& bgr, int size, int scale)
{
    Bytes rows;
    for (int y = 0; y < size * scale; ++y) {
        rows.push_back(0);
        for (int x = 0; x < size * scale; ++x) {
            const unsigned char* p = &bgr[((y / scale) * size + x / scale) * 3];
            rows.insert(rows.end(), {p[2], p[1], p[0]});
        }
    }
    return rows;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s icon.raw scale out.png\n", argv[0]);
        return 2;
    }
    const int size = rawIconSize;
    int scale = std::atoi(argv[2]);
    Bytes bgr;
    if (scale < 1 || !readRawIcon(argv[1], bgr)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    putBig32(header, size * scale);
    putBig32(header, size * scale);
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit truecolour, no interlace
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", storedZlib(scaledRows(bgr, size, scale)));
    putChunk(png, "IEND", Bytes());
    return writeIconFile(argv[3], png) ? 0 : 1;
}
