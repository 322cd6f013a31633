#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "standin/zebqt/ByteSource.h"

namespace zq {

// What the library's container reads cost in system calls; the benchmarks
// read it to show where a listing's time goes.
struct IoTally {
    uint64_t opens = 0;
    uint64_t reads = 0;
    uint64_t bytes = 0;
};
IoTally& ContainerIoTally();

// A container file read in place, opened so that others may still read or
// delete it. The open reads the file's head in one go, which holds the header
// and the descriptions of a usual container's objects, or the whole file when
// it is at most wholeUpTo bytes (a restore, which needs every byte). Later
// small reads outside what was read refill a window of the head's size; large
// ones go to the file directly.
class FileSource : public ByteSource {
public:
    static const size_t kHeadBytes = 4096;

    explicit FileSource(const std::wstring& path, size_t wholeUpTo = 0);
    bool IsOpen() const { return static_cast<bool>(m_file); }
    void Close() {
        m_file.Reset();
        m_size = 0;
        m_position = 0;
        m_window.clear();
    }
    uint64_t Size() const override { return m_size; }
    bool Read(uint64_t offset, void* data, size_t size) const override;

private:
    bool ReadDirect(uint64_t offset, void* data, size_t size) const;
    bool Fill(uint64_t offset, size_t size) const;

    CFileHandle m_file;
    uint64_t m_size = 0;
    mutable std::vector<uint8_t> m_window;
    mutable uint64_t m_windowOffset = 0;
    mutable uint64_t m_position = 0;  // of the file pointer
};

// The path as a file call takes it at any length: the path itself while its
// full form is short enough for every call, else the extended form of its
// full path ("\\?\C:\..."), which every Windows version takes past 260
// characters. Unchanged where it cannot be made full.
std::wstring ForFileCall(const std::wstring& path);

// Opens an existing regular file, whatever the length of its path; an invalid
// handle for folders, devices and anything missing. size, when given,
// receives the file's length.
CFileHandle OpenRegularFile(const std::wstring& path, DWORD access, DWORD share,
                            uint64_t* size = nullptr);

bool WriteAll(HANDLE file, const void* data, size_t size);
bool WriteAllAt(HANDLE file, uint64_t offset, const void* data, size_t size);

// Eight hex digits that differ between calls, processes and moments.
std::wstring UniqueHex();

// A new, empty file "<folder>\<prefix><hex>.tmp" that did not exist before.
CFileHandle CreateTempFileIn(const std::wstring& folder, const wchar_t* prefix, std::wstring& path);
// The same, named "<folder>\<prefix><process id>-<start time>-<hex>.tmp" after
// the process that makes it (eight and sixteen hex digits), so that whoever
// finds the file later can tell whether its maker still runs.
CFileHandle CreateOwnedTempFileIn(const std::wstring& folder, const wchar_t* prefix,
                                  std::wstring& path);
// Deletes the files CreateOwnedTempFileIn made in the folder whose process has
// ended, unless somebody still has them open. Any other file, whatever its
// name, stays: a file whose maker still runs may be closed only for a while.
void RemoveAbandonedTempFiles(const std::wstring& folder, const wchar_t* prefix);

// Gives an open file (opened with DELETE access) a new extended path, never
// replacing an existing file.
bool RenameOpenFile(HANDLE file, const std::wstring& extendedTarget);

// Creates every missing folder of an extended path, remembering which it
// created so that a failed restore can take them away again.
bool CreateFolders(const std::wstring& extendedFolder, std::vector<std::wstring>& created);
void RemoveCreatedFolders(const std::vector<std::wstring>& created);

// Whether something stands at the path, whatever its length.
bool PathExists(const std::wstring& path);

}  // namespace zq
