#include "restore/CollectionGrouping.h"

#include <cwctype>

std::wstring CollectionExtension(const std::wstring& fileName) {
    const std::wstring::size_type dot = fileName.rfind(L'.');
    if (dot == std::wstring::npos) return std::wstring();
    std::wstring extension = fileName.substr(dot + 1);
    for (wchar_t& c : extension)
        c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
    return extension;
}

std::vector<std::unique_ptr<CArchiveEntry>> GroupCollection(
    const std::vector<CollectionRow>& rows) {
    std::vector<std::unique_ptr<CArchiveEntry>> entries;
    for (const CollectionRow& row : rows) {
        const std::wstring extension = CollectionExtension(row.fileName);
        if (row.sizeKB > kCollectionMaxSizeKB) continue;
        CArchiveEntry* group = nullptr;
        for (const std::unique_ptr<CArchiveEntry>& entry : entries) {
            if (entry->m_strVirusName == row.virus && entry->m_strExtension == extension) {
                group = entry.get();
                break;
            }
        }
        if (group == nullptr) {
            std::unique_ptr<CArchiveEntry> entry(new CArchiveEntry);
            entry->m_strFile[0] = row.name;
            entry->m_strVirusName = row.virus;
            entry->m_strExtension = extension;
            entry->m_nFiles = 1;
            entries.push_back(std::move(entry));
        } else if (group->m_nFiles < CArchiveEntry::kMaxFiles) {
            group->m_strFile[group->m_nFiles] = row.name;
            ++group->m_nFiles;
        }
    }
    return entries;
}
