#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "standin/zebqt/ByteSource.h"

namespace zq {

// A container file read in place, opened so that others may still read or
// delete it.
class FileSource : public ByteSource {
public:
    explicit FileSource(const std::wstring& path);
    bool IsOpen() const { return static_cast<bool>(m_file); }
    void Close() {
        m_file.Reset();
        m_size = 0;
        m_window.clear();
    }
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* data, size_t size) const override;

private:
    bool ReadDirect(uint64_t offset, void* data, size_t size) const;

    CFileHandle m_file;
    uint64_t m_size = 0;
    // The container's descriptions are read in many small pieces; they come
    // from one window of the file read at once.
    mutable std::vector<uint8_t> m_window;
    mutable uint64_t m_windowOffset = 0;
};

// Opens an existing regular file for reading; an invalid handle for folders,
// devices and anything missing.
CFileHandle OpenRegularFile(const std::wstring& path, DWORD access, DWORD share);

bool WriteAll(HANDLE file, const void* data, size_t size);
bool WriteAllAt(HANDLE file, uint64_t offset, const void* data, size_t size);

// Eight hex digits that differ between calls, processes and moments.
std::wstring UniqueHex();

// A new, empty file "<folder>\<prefix><hex>.tmp" that did not exist before.
CFileHandle CreateTempFileIn(const std::wstring& folder, const wchar_t* prefix, std::wstring& path);
// Deletes the files "<folder>\<prefix><hex>.tmp" that CreateTempFileIn made
// and a process that died before it finished left behind. A file somebody
// has open is in use and stays.
void RemoveStaleTempFiles(const std::wstring& folder, const wchar_t* prefix);

// Creates every missing folder of an extended path, remembering which it
// created so that a failed restore can take them away again.
bool CreateFolders(const std::wstring& extendedFolder, std::vector<std::wstring>& created);
void RemoveCreatedFolders(const std::vector<std::wstring>& created);

bool PathExists(const std::wstring& path);

}  // namespace zq
