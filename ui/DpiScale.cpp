#include "ui/DpiScale.h"

namespace {

const int kDesignDpi = 96;

}  // namespace

int ScaleToDpi(int pixels, int dpi) {
    if (dpi <= 0) return pixels;
    return ::MulDiv(pixels, dpi, kDesignDpi);
}

int WindowDpi(HWND hWnd) {
    HDC hDC = ::GetDC(hWnd);
    if (hDC == nullptr) return kDesignDpi;
    const int dpi = ::GetDeviceCaps(hDC, LOGPIXELSX);
    ::ReleaseDC(hWnd, hDC);
    return dpi > 0 ? dpi : kDesignDpi;
}
