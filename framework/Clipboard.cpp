#include "framework/Clipboard.h"

#include <cstring>

namespace {

// Open for as long as it lives; every path out closes it again.
class CClipboardScope {
public:
    explicit CClipboardScope(HWND hOwner) : m_bOpen(::OpenClipboard(hOwner) != FALSE) {}
    ~CClipboardScope() {
        if (m_bOpen) ::CloseClipboard();
    }
    CClipboardScope(const CClipboardScope&) = delete;
    CClipboardScope& operator=(const CClipboardScope&) = delete;
    bool IsOpen() const { return m_bOpen; }

private:
    bool m_bOpen;
};

// Global memory that is freed unless the clipboard took it over.
class CGlobalMemory {
public:
    explicit CGlobalMemory(size_t bytes) : m_h(::GlobalAlloc(GMEM_MOVEABLE, bytes)) {}
    ~CGlobalMemory() {
        if (m_h != nullptr) ::GlobalFree(m_h);
    }
    CGlobalMemory(const CGlobalMemory&) = delete;
    CGlobalMemory& operator=(const CGlobalMemory&) = delete;
    HGLOBAL Get() const { return m_h; }
    HGLOBAL Release() {
        HGLOBAL h = m_h;
        m_h = nullptr;
        return h;
    }

private:
    HGLOBAL m_h;
};

}  // namespace

bool PutTextOnClipboard(HWND hOwner, const std::wstring& text) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    CGlobalMemory memory(bytes);
    if (memory.Get() == nullptr) return false;
    void* pData = ::GlobalLock(memory.Get());
    if (pData == nullptr) return false;
    std::memcpy(pData, text.c_str(), bytes);
    ::GlobalUnlock(memory.Get());

    CClipboardScope clipboard(hOwner);
    if (!clipboard.IsOpen() || !::EmptyClipboard()) return false;
    if (::SetClipboardData(CF_UNICODETEXT, memory.Get()) == nullptr) return false;
    // The clipboard owns the memory from here on.
    memory.Release();
    return true;
}

std::wstring ClipboardText(HWND hOwner) {
    CClipboardScope clipboard(hOwner);
    if (!clipboard.IsOpen()) return std::wstring();
    HANDLE hData = ::GetClipboardData(CF_UNICODETEXT);
    if (hData == nullptr) return std::wstring();
    const wchar_t* pText = static_cast<const wchar_t*>(::GlobalLock(hData));
    if (pText == nullptr) return std::wstring();
    const size_t capacity = ::GlobalSize(hData) / sizeof(wchar_t);
    std::wstring text(pText, ::wcsnlen(pText, capacity));
    ::GlobalUnlock(hData);
    return text;
}
