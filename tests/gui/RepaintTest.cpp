#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "res/resource.h"
#include "tests/common/TestPaths.h"
#include "tests/doubles/in_process/FakeQuarantineLibrary.h"
#include "tests/gui/GuiDriver.h"

// What the screen shows of the main dialog after its size changed, held
// against what a full repaint of it draws.
namespace {

struct ClientPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // top-down rows, 0x00RRGGBB
};

// The client area's pixels as the window's surface holds them, read through
// the window's own device context.
ClientPicture CaptureClient(HWND hWnd) {
    ClientPicture picture;
    RECT client = {};
    ::GetClientRect(hWnd, &client);
    picture.width = client.right;
    picture.height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const CGdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HDC hWindow = ::GetDC(hWnd);
    HDC hMemory = ::CreateCompatibleDC(hWindow);
    if (bitmap && hMemory != nullptr) {
        const HGDIOBJ old = ::SelectObject(hMemory, bitmap.Get());
        ::BitBlt(hMemory, 0, 0, picture.width, picture.height, hWindow, 0, 0, SRCCOPY);
        ::GdiFlush();
        const uint32_t* first = static_cast<const uint32_t*>(bits);
        picture.pixels.assign(first, first + static_cast<size_t>(picture.width) * picture.height);
        for (uint32_t& pixel : picture.pixels) pixel &= 0x00FFFFFF;
        ::SelectObject(hMemory, old);
    }
    if (hMemory != nullptr) ::DeleteDC(hMemory);
    ::ReleaseDC(hWnd, hWindow);
    return picture;
}

size_t DifferingPixels(const ClientPicture& a, const ClientPicture& b) {
    if (a.width != b.width || a.height != b.height) return SIZE_MAX;
    size_t count = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) count += a.pixels[i] != b.pixels[i] ? 1 : 0;
    return count;
}

// A picture as a 24-bit BMP file, for looking at what a failing test saw.
void SaveBitmap(const ClientPicture& picture, const std::wstring& path) {
    const size_t rowBytes = (static_cast<size_t>(picture.width) * 3 + 3) & ~size_t(3);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof header;
    header.biWidth = picture.width;
    header.biHeight = -picture.height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = static_cast<DWORD>(file.bfOffBits + rowBytes * picture.height);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&header), sizeof header);
    for (int y = 0; y < picture.height; ++y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t pixel = picture.pixels[static_cast<size_t>(y) * picture.width + x];
            row[x * 3] = static_cast<char>(pixel & 0xFF);
            row[x * 3 + 1] = static_cast<char>((pixel >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<char>((pixel >> 16) & 0xFF);
        }
        bytes += row;
    }
    WriteFileBytes(path, bytes);
}

SYSTEMTIME Noon(WORD day) {
    SYSTEMTIME time = {};
    time.wYear = 2026;
    time.wMonth = 3;
    time.wDay = day;
    time.wHour = 12;
    return time;
}

}  // namespace

// Each size change is checked by picture: the client area as the screen shows
// it once every window has answered its paint messages, against the same area
// after a full repaint of the dialog and all its controls.
TEST(Repaint, EveryPixelIsRightAfterTheDialogGrowsOrShrinks) {
    CSettingsSandbox settings;
    settings.SetPath(L"C:\\Q\\");
    CModalAnswerer answerer;
    CMainDialogDriver driver;
    CFakeQuarantineLibrary fake(driver.Dialog().m_ZEBQt);
    for (WORD day = 1; day <= 12; ++day)
        fake.State().containers.push_back(CFakeQuarantineLibrary::MakeContainer(
            L"C:\\Q\\file" + std::to_wstring(day) + L".qua", L"Test.Virus",
            L"C:\\Users\\Me\\document" + std::to_wstring(day) + L".txt", Noon(day)));
    ASSERT_TRUE(driver.Create());
    const HWND hDlg = driver.Window();
    // A focused path box's caret blinks on a clock of its own; the list's
    // focus looks the same with every paint.
    ::SetFocus(::GetDlgItem(hDlg, IDC_QUARANTINE_LIST));
    driver.Pump();

    RECT start = {};
    ::GetWindowRect(hDlg, &start);
    const int width = start.right - start.left;
    const int height = start.bottom - start.top;
    // Larger at once, then back in the small steps of a drag, one pixel at a
    // time, and back to the start.
    std::vector<SIZE> sizes = {{width + 322, height + 207}};
    for (int step = 1; step <= 4; ++step)
        sizes.push_back({width + 322 - 61 * step, height + 207 - 43 * step});
    sizes.push_back({width + 1, height});
    sizes.push_back({width, height + 1});
    sizes.push_back({width, height});
    sizes.push_back({width + 500, height + 300});
    for (const SIZE& size : sizes) {
        ::SetWindowPos(hDlg, nullptr, 0, 0, size.cx, size.cy,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        driver.Pump();
        const ClientPicture seen = CaptureClient(hDlg);
        ::RedrawWindow(hDlg, nullptr, nullptr,
                       RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        const ClientPicture full = CaptureClient(hDlg);

        ASSERT_EQ(seen.pixels.size(), static_cast<size_t>(seen.width) * seen.height);
        const size_t differing = DifferingPixels(seen, full);
        if (differing != 0) {
            const std::wstring name = TestBinDir() + L"\\repaint-" + std::to_wstring(size.cx) +
                                      L"x" + std::to_wstring(size.cy);
            SaveBitmap(seen, name + L"-seen.bmp");
            SaveBitmap(full, name + L"-full.bmp");
        }
        EXPECT_EQ(differing, 0u) << size.cx << "x" << size.cy
                                 << ": both pictures are beside the test executable";
    }
}
