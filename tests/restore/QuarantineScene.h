#pragma once

#include <string>
#include <vector>

#include "quarantine/ZEBQtWrapper.h"

// A scratch quarantine folder and the folders its files came from, filled
// through a loaded quarantine library and removed again at the end.
class CQuarantineScene {
public:
    explicit CQuarantineScene(const std::wstring& name);
    ~CQuarantineScene();
    CQuarantineScene(const CQuarantineScene&) = delete;
    CQuarantineScene& operator=(const CQuarantineScene&) = delete;

    const std::wstring& Root() const { return m_root; }
    // The quarantine folder, without a trailing backslash.
    const std::wstring& Quarantine() const { return m_quarantine; }
    // Where quarantined files came from unless told otherwise.
    const std::wstring& Origin() const { return m_origin; }

    // Writes the bytes to folder\fileName (the origin folder when empty) and
    // moves that file into the quarantine. Each call gets a later time stamp,
    // so the quarantine files' names sort in the order they were added.
    // Returns the new quarantine file's name; empty when quarantining failed.
    std::wstring Add(CZEBQtWrapper& library, const std::wstring& fileName, const std::string& bytes,
                     const std::wstring& virus, const std::wstring& folder = std::wstring());

    // The quarantine files' names, sorted.
    std::vector<std::wstring> QuarantineFiles() const;
    std::wstring QuarantineFile(const std::wstring& name) const {
        return m_quarantine + L"\\" + name;
    }

private:
    std::wstring m_root;
    std::wstring m_quarantine;
    std::wstring m_origin;
    int m_nAdded = 0;
};

// Every name in a folder (files and folders), sorted; empty when it cannot be listed.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);
// A folder made with every missing parent.
bool MakeFolders(const std::wstring& folder);

// The harmless standard antivirus test text the stand-in scanner cures, and
// the stand-in's signature it refuses to cure.
std::string CurableTestText();
std::string IncurableSignature();
