// Pictures of a window's client area as PNG files. The window and each of its children paint
// themselves into a bitmap (WM_PRINT): the bridge's windows have no display to be read from, and
// Wine's PrintWindow paints neither the children nor the frame. The PNG is written uncompressed
// (stored deflate blocks) to need no zlib.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "winhost.h"

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

void put_chunk(std::string* png, const char type[4], const unsigned char *data, size_t n) {
    unsigned char head[8];
    put_be32(head, (unsigned long)n);
    memcpy(head + 4, type, 4);
    unsigned long c = crc(head + 4, 4, 0xffffffffUL);
    c = crc(data, n, c) ^ 0xffffffffUL;
    unsigned char tail[4];
    put_be32(tail, c);
    png->append(reinterpret_cast<const char *>(head), 8);
    if (n) png->append(reinterpret_cast<const char *>(data), n);
    png->append(reinterpret_cast<const char *>(tail), 4);
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
    std::string png("\x89PNG\r\n\x1a\n", 8);
    unsigned char ihdr[13];
    put_be32(ihdr, (unsigned long)width);
    put_be32(ihdr + 4, (unsigned long)height);
    ihdr[8] = 8;  // bits per sample
    ihdr[9] = 2;  // RGB
    ihdr[10] = ihdr[11] = ihdr[12] = 0;
    put_chunk(&png, "IHDR", ihdr, sizeof ihdr);
    put_chunk(&png, "IDAT", idat, idat_size);
    put_chunk(&png, "IEND", nullptr, 0);
    free(idat);
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -2;
    DWORD written = 0;
    bool ok = WriteFile(file, png.data(), (DWORD)png.size(), &written, nullptr) && written == png.size();
    ok = CloseHandle(file) && ok;
    return ok ? 0 : -2;
}

// Paints window and its visible children, bottom of the z-order first, into dc at the place they
// have in the client area of top. Each paints into a bitmap of its own size first: Wine's controls
// clip to their rectangle in the DC's device space, so a moved origin would clip them away.
void paint_into(HWND top, HWND window, HDC dc) {
    RECT r;
    GetWindowRect(window, &r);
    POINT at = {r.left, r.top};
    ScreenToClient(top, &at);
    if (window == top) {
        GetClientRect(window, &r);
        at.x = at.y = 0;
    }
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC own = CreateCompatibleDC(dc);
    HBITMAP bitmap = own ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    if (bitmap) {
        HGDIOBJ old = SelectObject(own, bitmap);
        SendMessageW(window, WM_PRINT, reinterpret_cast<WPARAM>(own),
                     PRF_CLIENT | PRF_ERASEBKGND | (window == top ? 0 : PRF_NONCLIENT));
        BitBlt(dc, at.x, at.y, width, height, own, 0, 0, SRCCOPY);
        SelectObject(own, old);
        DeleteObject(bitmap);
    }
    if (own) DeleteDC(own);
    HWND child = GetWindow(window, GW_CHILD);
    for (child = child ? GetWindow(child, GW_HWNDLAST) : nullptr; child; child = GetWindow(child, GW_HWNDPREV))
        if (IsWindowVisible(child)) paint_into(top, child, dc);
}

}  // namespace

int save_window_png(void *handle, const char *path, int *width_out, int *height_out) {
    HWND window = static_cast<HWND>(handle);
    RECT r;
    if (!path || !path[0] || !GetClientRect(window, &r)) return -1;
    int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0 || width > 8192 || height > 8192) return -1;
    HDC memory = CreateCompatibleDC(nullptr);
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP dib = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    int rc = -1;
    if (memory && dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        paint_into(window, window, memory);
        GdiFlush();
        rc = write_png(path, static_cast<const unsigned char *>(bits), width, height);
        SelectObject(memory, old);
    }
    if (dib) DeleteObject(dib);
    if (memory) DeleteDC(memory);
    *width_out = width;
    *height_out = height;
    return rc;
}
