// Screenshots of a window as PNG files. The pixels are taken from the screen, so the picture is
// what a user sees; the PNG is written uncompressed (stored deflate blocks) to need no zlib.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "kvsmoke.h"

namespace {

unsigned long g_crc_table[256];

void make_crc_table() {
    for (unsigned long n = 0; n < 256; n++) {
        unsigned long c = n;
        for (int k = 0; k < 8; k++) c = (c & 1) ? 0xedb88320UL ^ (c >> 1) : c >> 1;
        g_crc_table[n] = c;
    }
}

unsigned long crc(const unsigned char *p, size_t n, unsigned long c) {
    for (size_t i = 0; i < n; i++) c = g_crc_table[(c ^ p[i]) & 0xff] ^ (c >> 8);
    return c;
}

void put_be32(unsigned char *p, unsigned long v) {
    p[0] = (unsigned char)(v >> 24);
    p[1] = (unsigned char)(v >> 16);
    p[2] = (unsigned char)(v >> 8);
    p[3] = (unsigned char)v;
}

bool write_chunk(FILE *f, const char type[4], const unsigned char *data, size_t n) {
    unsigned char head[8];
    put_be32(head, (unsigned long)n);
    memcpy(head + 4, type, 4);
    unsigned long c = crc(head + 4, 4, 0xffffffffUL);
    c = crc(data, n, c) ^ 0xffffffffUL;
    unsigned char tail[4];
    put_be32(tail, c);
    return fwrite(head, 1, 8, f) == 8 && (n == 0 || fwrite(data, 1, n, f) == n) && fwrite(tail, 1, 4, f) == 4;
}

// RGB rows (filter byte 0 each) from top-down BGRA pixels, wrapped in a zlib stream.
unsigned char *zlib_stored(const unsigned char *bgra, int width, int height, size_t *size) {
    size_t row = 1 + (size_t)width * 3;
    size_t raw = row * (size_t)height;
    size_t blocks = raw / 65535 + 1;
    unsigned char *out = static_cast<unsigned char *>(malloc(2 + raw + blocks * 5 + 4));
    if (!out) return nullptr;
    size_t at = 0;
    out[at++] = 0x78;
    out[at++] = 0x01;
    unsigned long a = 1, b = 0;
    size_t done = 0, in_block = 0;
    for (int y = 0; y < height; y++) {
        for (size_t x = 0; x < row; x++) {
            if (in_block == 0) {
                size_t len = raw - done < 65535 ? raw - done : 65535;
                out[at++] = (unsigned char)(done + len == raw ? 1 : 0);
                out[at++] = (unsigned char)(len & 0xff);
                out[at++] = (unsigned char)(len >> 8);
                out[at++] = (unsigned char)(~len & 0xff);
                out[at++] = (unsigned char)((~len >> 8) & 0xff);
                in_block = len;
            }
            unsigned char v = 0;
            if (x > 0) {
                const unsigned char *px = bgra + ((size_t)y * width + (x - 1) / 3) * 4;
                v = px[2 - (x - 1) % 3];
            }
            out[at++] = v;
            a = (a + v) % 65521;
            b = (b + a) % 65521;
            done++;
            in_block--;
        }
    }
    put_be32(out + at, (b << 16) | a);
    *size = at + 4;
    return out;
}

int write_png(const char *path, const unsigned char *bgra, int width, int height) {
    make_crc_table();
    size_t idat_size = 0;
    unsigned char *idat = zlib_stored(bgra, width, height, &idat_size);
    if (!idat) return -2;
    FILE *f = fopen(path, "wb");
    if (!f) {
        free(idat);
        return -2;
    }
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    unsigned char ihdr[13];
    put_be32(ihdr, (unsigned long)width);
    put_be32(ihdr + 4, (unsigned long)height);
    ihdr[8] = 8;  // bits per sample
    ihdr[9] = 2;  // RGB
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    bool ok = fwrite(signature, 1, 8, f) == 8 && write_chunk(f, "IHDR", ihdr, sizeof ihdr) &&
              write_chunk(f, "IDAT", idat, idat_size) && write_chunk(f, "IEND", nullptr, 0);
    ok = (fclose(f) == 0) && ok;
    free(idat);
    return ok ? 0 : -2;
}

}  // namespace

int save_window_png(HWND window, const char *path) {
    RECT r;
    if (!path || !path[0] || !GetWindowRect(window, &r)) return -1;
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return -1;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int rc = -1;
    if (memory && dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY | CAPTUREBLT)) {
            GdiFlush();
            rc = write_png(path, static_cast<const unsigned char *>(bits), width, height);
        }
        SelectObject(memory, old);
    }
    if (dib) DeleteObject(dib);
    if (memory) DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return rc;
}
