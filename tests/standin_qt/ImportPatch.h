#pragma once

#include <windows.h>

#include <cstring>

// Points one import of a loaded module at a replacement while it lives, so
// that a test sees which system calls a library makes, and in what order,
// without the library knowing. Found through the module's import table as the
// PE format lays it out; Active() is false when the module does not import
// the function by name from that DLL.
class CImportPatch {
public:
    CImportPatch(HMODULE module, const char* dll, const char* function, void* replacement) {
        BYTE* const base = reinterpret_cast<BYTE*>(module);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) return;
        for (auto* entry =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             entry->Name != 0 && m_slot == nullptr; ++entry) {
            if (::lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
            const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
                base +
                (entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk));
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                    continue;
                m_slot = reinterpret_cast<void**>(&slots->u1.Function);
                break;
            }
        }
        if (m_slot == nullptr) return;
        m_original = *m_slot;
        if (!Write(replacement)) m_slot = nullptr;
    }
    ~CImportPatch() {
        if (m_slot != nullptr) Write(m_original);
    }
    CImportPatch(const CImportPatch&) = delete;
    CImportPatch& operator=(const CImportPatch&) = delete;

    bool Active() const { return m_slot != nullptr; }
    // The function the module imported, for the replacement to pass calls on to.
    template <typename F>
    F Original() const {
        return reinterpret_cast<F>(m_original);
    }

private:
    bool Write(void* value) {
        DWORD old = 0;
        if (!::VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &old)) return false;
        *m_slot = value;
        ::VirtualProtect(m_slot, sizeof *m_slot, old, &old);
        return true;
    }

    void** m_slot = nullptr;
    void* m_original = nullptr;
};
