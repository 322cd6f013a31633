#include "standin/zebqt/FileIo.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace zq {

IoTally& ContainerIoTally() {
    static IoTally tally;
    return tally;
}

FileSource::FileSource(const std::wstring& path, size_t wholeUpTo) {
    m_file = OpenRegularFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, &m_size);
    if (!m_file) {
        m_size = 0;
        return;
    }
    ++ContainerIoTally().opens;
    const uint64_t first = m_size <= wholeUpTo ? m_size : std::min<uint64_t>(kHeadBytes, m_size);
    if (!Fill(0, static_cast<size_t>(first))) Close();
}

bool FileSource::Fill(uint64_t offset, size_t size) const {
    m_window.resize(size);
    m_windowOffset = offset;
    if (ReadDirect(offset, m_window.data(), size)) return true;
    m_window.clear();
    return false;
}

bool FileSource::Read(uint64_t offset, void* data, size_t size) const {
    if (!m_file || offset > m_size || size > m_size - offset) return false;
    if (size == 0) return true;
    const bool inWindow = offset >= m_windowOffset && offset - m_windowOffset <= m_window.size() &&
                          size <= m_window.size() - (offset - m_windowOffset);
    if (!inWindow) {
        if (size >= kHeadBytes) return ReadDirect(offset, data, size);
        if (!Fill(offset, static_cast<size_t>(std::min<uint64_t>(kHeadBytes, m_size - offset))))
            return false;
    }
    std::memcpy(data, m_window.data() + (offset - m_windowOffset), size);
    return true;
}

bool FileSource::ReadDirect(uint64_t offset, void* data, size_t size) const {
    // Plain reads from the file's position: a read placed by an OVERLAPPED
    // also reports its completion, which can cost a round trip of its own.
    if (offset != m_position) {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        if (!::SetFilePointerEx(m_file.Get(), at, nullptr, FILE_BEGIN)) return false;
        m_position = offset;
    }
    uint8_t* out = static_cast<uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD read = 0;
        ++ContainerIoTally().reads;
        const BOOL ok = ::ReadFile(m_file.Get(), out, chunk, &read, nullptr);
        m_position += read;
        if (!ok || read == 0) return false;
        ContainerIoTally().bytes += read;
        out += read;
        size -= read;
    }
    return true;
}

CFileHandle OpenRegularFile(const std::wstring& path, DWORD access, DWORD share, uint64_t* size) {
    CFileHandle file(::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return file;
    // The standard information holds all that is needed. The full by-handle
    // information also asks for the volume's serial number, which can cost
    // more than opening and reading a small file.
    FILE_STANDARD_INFO info{};
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK ||
        !::GetFileInformationByHandleEx(file.Get(), FileStandardInfo, &info, sizeof info) ||
        info.Directory || info.EndOfFile.QuadPart < 0) {
        file.Reset();
        return file;
    }
    if (size != nullptr) *size = static_cast<uint64_t>(info.EndOfFile.QuadPart);
    return file;
}

bool WriteAll(HANDLE file, const void* data, size_t size) {
    const uint8_t* in = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!::WriteFile(file, in, chunk, &written, nullptr) || written == 0) return false;
        in += written;
        size -= written;
    }
    return true;
}

bool WriteAllAt(HANDLE file, uint64_t offset, const void* data, size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    LARGE_INTEGER end{};
    if (!::SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_CURRENT)) return false;
    if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) return false;
    const bool ok = WriteAll(file, data, size);
    return ::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ok;
}

std::wstring UniqueHex() {
    static std::atomic<uint32_t> counter{0};
    LARGE_INTEGER ticks{};
    ::QueryPerformanceCounter(&ticks);
    uint64_t z = static_cast<uint64_t>(ticks.QuadPart) ^
                 (static_cast<uint64_t>(::GetCurrentProcessId()) << 40) ^
                 (static_cast<uint64_t>(++counter) << 20) ^ ::GetTickCount();
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    wchar_t text[9];
    static const wchar_t kHex[] = L"0123456789abcdef";
    for (int i = 0; i < 8; ++i) text[i] = kHex[(z >> (4 * i)) & 0xf];
    text[8] = L'\0';
    return text;
}

CFileHandle CreateTempFileIn(const std::wstring& folder, const wchar_t* prefix,
                             std::wstring& path) {
    for (int attempt = 0; attempt < 32; ++attempt) {
        path = folder + L"\\" + prefix + UniqueHex() + L".tmp";
        CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    path.clear();
    return CFileHandle();
}

void RemoveStaleTempFiles(const std::wstring& folder, const wchar_t* prefix) {
    const std::wstring start(prefix);
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\" + start + L"*.tmp").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            name.size() != start.size() + 12 || name.compare(0, start.size(), start) != 0 ||
            name.find_first_not_of(L"0123456789abcdef", start.size()) != start.size() + 8)
            continue;
        // Opened unshared, so that a file another restore still holds is
        // not touched; deleted through that very handle.
        const std::wstring path = folder + L"\\" + name;
        CFileHandle file(::CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) continue;
        FILE_DISPOSITION_INFO disposition = {};
        disposition.DeleteFile = TRUE;
        ::SetFileInformationByHandle(file.Get(), FileDispositionInfo, &disposition,
                                     sizeof disposition);
    } while (::FindNextFileW(find.Get(), &data));
}

bool RenameOpenFile(HANDLE file, const std::wstring& extendedTarget) {
    // The call takes the system's own form of the path, \??\C:\..., where the
    // extended form has \\?\C:\....
    std::wstring target = extendedTarget;
    if (target.compare(0, 4, L"\\\\?\\") == 0) target[1] = L'?';
    const size_t bytes = target.size() * sizeof(wchar_t);
    // The structure's own one-character name leaves room for the terminator.
    std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + bytes);
    FILE_RENAME_INFO* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = FALSE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(bytes);
    std::memcpy(info->FileName, target.c_str(), bytes + sizeof(wchar_t));
    return ::SetFileInformationByHandle(file, FileRenameInfo, info,
                                        static_cast<DWORD>(buffer.size())) != FALSE;
}

bool PathExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ||
           (::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_PATH_NOT_FOUND);
}

bool CreateFolders(const std::wstring& extendedFolder, std::vector<std::wstring>& created) {
    // The root ("\\?\C:" or "\\?\UNC\server\share") exists or fails as a whole.
    size_t rootLength = 6;
    if (extendedFolder.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        const size_t server = extendedFolder.find(L'\\', 8);
        const size_t share =
            server == std::wstring::npos ? server : extendedFolder.find(L'\\', server + 1);
        rootLength = share == std::wstring::npos ? extendedFolder.size() : share;
    }
    if (extendedFolder.size() <= rootLength) {
        const DWORD attributes =
            ::GetFileAttributesW((extendedFolder.substr(0, rootLength) + L"\\").c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    const DWORD attributes = ::GetFileAttributesW(extendedFolder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const size_t sep = extendedFolder.find_last_of(L'\\');
    if (sep == std::wstring::npos || sep < rootLength) return false;
    if (!CreateFolders(extendedFolder.substr(0, sep), created)) return false;
    if (!::CreateDirectoryW(extendedFolder.c_str(), nullptr)) return false;
    created.push_back(extendedFolder);
    return true;
}

void RemoveCreatedFolders(const std::vector<std::wstring>& created) {
    for (auto it = created.rbegin(); it != created.rend(); ++it) ::RemoveDirectoryW(it->c_str());
}

}  // namespace zq
