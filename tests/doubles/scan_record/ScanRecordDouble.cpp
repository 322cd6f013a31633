#include "tests/doubles/scan_record/ScanRecordDouble.h"

#include <cwchar>
#include <stdexcept>
#include <string>

#include "scanner/ZEBScanPEntryPoints.h"

#define SCAN_DOUBLE_EXPORT extern "C" __declspec(dllexport)

namespace {

std::wstring g_log;
int32_t g_cureAnswer = 0;

}  // namespace

SCAN_DOUBLE_EXPORT const wchar_t* __cdecl ScanDoubleLog() {
    return g_log.c_str();
}

SCAN_DOUBLE_EXPORT void __cdecl ScanDoubleSetCureAnswer(int32_t answer) {
    g_cureAnswer = answer;
}

SCAN_DOUBLE_EXPORT int32_t __cdecl ZEBScanPSetEngineName(int32_t engine, wchar_t* name) {
    g_log += L"engine(" + std::to_wstring(engine) + L",";
    if (name == nullptr) {
        g_log += L"<null>)";
        return 0;
    }
    g_log += name;
    g_log += L")";
    for (wchar_t* p = name; *p != L'\0'; ++p) *p = L'#';
    return 0;
}

SCAN_DOUBLE_EXPORT int32_t __cdecl ZEBScanPCureFile(uintptr_t value, int32_t mode, int32_t flags) {
    wchar_t text[64];
    std::swprintf(text, 64, L"cure(%llx,%d,%d)", static_cast<unsigned long long>(value),
                  static_cast<int>(mode), static_cast<int>(flags));
    g_log += text;
    if (g_cureAnswer == kScanDoubleCureThrows) throw std::runtime_error("cure failed");
    return g_cureAnswer;
}

SCAN_DOUBLE_EXPORT int32_t __cdecl ZEBScanPScanFile(const wchar_t*) {
    return 0;
}
SCAN_DOUBLE_EXPORT int32_t __cdecl ZEBScanPScanFile2(const wchar_t*, wchar_t*, int32_t) {
    return 0;
}
SCAN_DOUBLE_EXPORT int32_t __cdecl ZEBScanPScanFileWithAction(const wchar_t*, int32_t) {
    return 0;
}
SCAN_DOUBLE_EXPORT int32_t __cdecl ZEBScanPScanFileWithAction2(const wchar_t*, int32_t, wchar_t*,
                                                               int32_t) {
    return 0;
}
SCAN_DOUBLE_EXPORT int32_t __cdecl ZEBScanPScanDirectory(const wchar_t*, int32_t) {
    return 0;
}
