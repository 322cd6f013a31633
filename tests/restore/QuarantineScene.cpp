#include "tests/restore/QuarantineScene.h"

#include <windows.h>

#include <algorithm>

#include "framework/Handles.h"
#include "tests/common/TestPaths.h"

CQuarantineScene::CQuarantineScene(const std::wstring& name)
    : m_root(MakeScratchDir(name)),
      m_quarantine(m_root + L"\\quarantine"),
      m_origin(m_root + L"\\origin") {
    MakeFolders(m_quarantine);
    MakeFolders(m_origin);
}

CQuarantineScene::~CQuarantineScene() {
    RemoveTree(m_root);
}

std::wstring CQuarantineScene::Add(CZEBQtWrapper& library, const std::wstring& fileName,
                                   const std::string& bytes, const std::wstring& virus,
                                   const std::wstring& folder) {
    const std::wstring home = folder.empty() ? m_origin : folder;
    MakeFolders(home);
    const std::wstring file = home + L"\\" + fileName;
    if (!WriteFileBytes(file, bytes)) return std::wstring();

    SYSTEMTIME time = {};
    time.wYear = 2024;
    time.wMonth = 3;
    time.wDay = 1;
    time.wHour = 8 + static_cast<WORD>(m_nAdded / 60);
    time.wMinute = static_cast<WORD>(m_nAdded % 60);
    ++m_nAdded;

    const std::vector<std::wstring> before = QuarantineFiles();
    if (library.ZEBQtMoveToQuarantineEx(m_quarantine.c_str(), file.c_str(), virus.c_str(), &time) !=
        0)
        return std::wstring();
    for (const std::wstring& name : QuarantineFiles())
        if (std::find(before.begin(), before.end(), name) == before.end()) return name;
    return std::wstring();
}

std::vector<std::wstring> CQuarantineScene::QuarantineFiles() const {
    return FolderEntries(m_quarantine);
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\*").c_str(), &data));
    if (!find) return names;
    do {
        const std::wstring name = data.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find.Get(), &data));
    std::sort(names.begin(), names.end());
    return names;
}

bool MakeFolders(const std::wstring& folder) {
    if (::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const size_t slash = folder.rfind(L'\\');
    if (slash != std::wstring::npos && slash > 2) MakeFolders(folder.substr(0, slash));
    return ::CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
}

std::string CurableTestText() {
    // Assembled from pieces so that this source file is not itself flagged.
    return std::string("X5O!P%@AP[4\\PZX54(P^)7CC)7}$") + "EIC" +
           "AR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";
}

std::string IncurableSignature() {
    return std::string("ZEBSCANP-INCURABLE-") + "TEST-SIGNATURE!";
}
