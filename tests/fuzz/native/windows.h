#pragma once

// The native fuzz build's stand-in for the platform header: only what the
// command line's parse and its report writers call, with the platform's
// meaning. Windows builds never see this folder.
//
// wchar_t is 32 bits wide here and 16 on Windows. -fshort-wchar would match
// the width but not the C and C++ libraries, which were built for 32 bits:
// std::to_wstring (through swprintf) and the library's own instances of
// std::wstring would read and write four bytes per character. So wchar_t
// keeps its width, each wchar_t carries one UTF-16 code unit (the fuzz target
// never puts a larger value into one), and the conversion below reads the
// units as UTF-16, surrogate pairs and unpaired surrogates included, as the
// platform does.

#include <cstdint>

typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef int BOOL;

#define CP_UTF8 65001u

// UTF-16 to UTF-8 as the platform converts without WC_ERR_INVALID_CHARS: a
// surrogate without its partner becomes U+FFFD. A unit count of -1 means up
// to and including the terminating NUL. With outSize 0 the answer is the size
// needed; 0 when out is too small or for any other code page.
inline int WideCharToMultiByte(UINT codePage, DWORD, const wchar_t* text, int units, char* out,
                               int outSize, const char*, BOOL*) {
    if (codePage != CP_UTF8 || text == nullptr || units < -1) return 0;
    if (units == -1) {
        units = 0;
        while (text[units] != L'\0') ++units;
        ++units;
    }
    int written = 0;
    bool overflow = false;
    const auto put = [&](uint32_t c) {
        unsigned char bytes[4];
        int n = 0;
        if (c < 0x80) {
            bytes[n++] = static_cast<unsigned char>(c);
        } else if (c < 0x800) {
            bytes[n++] = static_cast<unsigned char>(0xc0 | c >> 6);
            bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3f));
        } else if (c < 0x10000) {
            bytes[n++] = static_cast<unsigned char>(0xe0 | c >> 12);
            bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3f));
            bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3f));
        } else {
            bytes[n++] = static_cast<unsigned char>(0xf0 | c >> 18);
            bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3f));
            bytes[n++] = static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3f));
            bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3f));
        }
        if (outSize != 0) {
            if (written + n > outSize) {
                overflow = true;
                return;
            }
            for (int i = 0; i < n; ++i) out[written + i] = static_cast<char>(bytes[i]);
        }
        written += n;
    };
    for (int i = 0; i < units && !overflow; ++i) {
        const uint32_t unit = static_cast<uint32_t>(text[i]);
        if (unit > 0xffff) {
            put(0xfffd);
        } else if (unit >= 0xd800 && unit < 0xdc00 && i + 1 < units &&
                   static_cast<uint32_t>(text[i + 1]) >= 0xdc00 &&
                   static_cast<uint32_t>(text[i + 1]) < 0xe000) {
            put(0x10000 + ((unit - 0xd800) << 10) + (static_cast<uint32_t>(text[i + 1]) - 0xdc00));
            ++i;
        } else if (unit >= 0xd800 && unit < 0xe000) {
            put(0xfffd);
        } else {
            put(unit);
        }
    }
    return overflow ? 0 : written;
}
