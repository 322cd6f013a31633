#pragma once

#include <cstdint>
#include <string>

// One group of a sample collection, despite its name no archive: the
// quarantine files chosen for one combination of virus name and extension.
class CArchiveEntry {
public:
    enum { kMaxFiles = 3 };

    CArchiveEntry() : m_nFiles(0) {}
    virtual ~CArchiveEntry() = default;

    // Quarantine file names (the list's first column); unused slots stay empty.
    std::wstring m_strFile[kMaxFiles];
    std::wstring m_strVirusName;
    // Upper case, without the dot; empty when the file name has none.
    std::wstring m_strExtension;
    int32_t m_nFiles;
};
