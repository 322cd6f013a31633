#pragma once

#include <windows.h>
#include <shlobj.h>

#include <utility>

// Move-only owner of one Win32 handle; the traits say what "none" is and how
// the handle is given back.
template <typename Traits>
class CUniqueHandle {
public:
    using Type = typename Traits::Type;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Type h) : m_h(h) {}
    ~CUniqueHandle() { Reset(); }
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(other.Release()) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;

    Type Get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Invalid(); }

    // For APIs that return the handle through an out parameter.
    Type* Put() {
        Reset();
        return &m_h;
    }
    Type Release() { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(Type h = Traits::Invalid()) {
        Type old = std::exchange(m_h, h);
        if (old != Traits::Invalid()) Traits::Close(old);
    }

private:
    Type m_h = Traits::Invalid();
};

struct ModuleTraits {
    using Type = HMODULE;
    // constexpr, so that a module owner in a static object is null before
    // any constructor of the program runs.
    static constexpr Type Invalid() { return nullptr; }
    static void Close(Type h) { ::FreeLibrary(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
struct FindTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};
struct FileTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct KernelTraits {
    using Type = HANDLE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct GdiTraits {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct HookTraits {
    using Type = HHOOK;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::UnhookWindowsHookEx(h); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::DestroyMenu(h); }
};
template <typename Interface>
struct ComTraits {
    using Type = Interface*;
    static Type Invalid() { return nullptr; }
    static void Close(Type p) { p->Release(); }
};
struct ItemIdListTraits {
    using Type = PIDLIST_ABSOLUTE;
    static Type Invalid() { return nullptr; }
    static void Close(Type h) { ::CoTaskMemFree(h); }
};

// A loaded library. It reads as its HMODULE wherever one is asked for, since
// a module is handed on as it stands (to GetProcAddress, to a test's double).
class CModule : public CUniqueHandle<ModuleTraits> {
public:
    using CUniqueHandle<ModuleTraits>::CUniqueHandle;
    operator HMODULE() const { return Get(); }
};
using CRegKey = CUniqueHandle<RegKeyTraits>;
using CFindHandle = CUniqueHandle<FindTraits>;
using CFileHandle = CUniqueHandle<FileTraits>;
using CKernelHandle = CUniqueHandle<KernelTraits>;
using CGdiObject = CUniqueHandle<GdiTraits>;
using CHook = CUniqueHandle<HookTraits>;
using CMenuHandle = CUniqueHandle<MenuTraits>;
// One reference to a COM object, released when the owner goes.
template <typename Interface>
using CComInterface = CUniqueHandle<ComTraits<Interface>>;
using CItemIdList = CUniqueHandle<ItemIdListTraits>;

// Function pointers from GetProcAddress are converted through the one
// function-pointer type the compiler accepts as a neutral go-between.
using GenericProc = void (*)(void);
template <typename Fn>
Fn ProcCast(FARPROC p) {
    return reinterpret_cast<Fn>(reinterpret_cast<GenericProc>(p));
}
