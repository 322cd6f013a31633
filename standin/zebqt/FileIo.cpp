#include "standin/zebqt/FileIo.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "standin/zebqt/PathRules.h"

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

std::wstring ForFileCall(const std::wstring& path) {
    // A folder made by CreateDirectoryW must leave room for an 8.3 name below
    // MAX_PATH: the shortest limit of any file call.
    const size_t kPlainLimit = MAX_PATH - 13;
    // Only a relative path grows when it is made full.
    const bool absolute =
        (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) ||
        (path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') &&
         (path[1] == L'\\' || path[1] == L'/'));
    if (absolute && path.size() <= kPlainLimit) return path;
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::vector<wchar_t> full(needed);
    const DWORD n =
        ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0 || n >= full.size() || n <= kPlainLimit) return path;
    std::wstring extended;
    return ToExtendedPath(std::wstring(full.data(), n), extended) ? extended : path;
}

CFileHandle OpenRegularFile(const std::wstring& path, DWORD access, DWORD share, uint64_t* size) {
    CFileHandle file(::CreateFileW(ForFileCall(path).c_str(), access, share, nullptr, OPEN_EXISTING,
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

namespace {

CFileHandle CreateNewFileNamed(const std::wstring& stem, std::wstring& path) {
    for (int attempt = 0; attempt < 32; ++attempt) {
        path = stem + UniqueHex() + L".tmp";
        CFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) return file;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    path.clear();
    return CFileHandle();
}

uint64_t ToUint64(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

bool StartTimeOf(HANDLE process, uint64_t& start) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
    start = ToUint64(created);
    return true;
}

std::wstring Hex(uint64_t value, int digits) {
    static const wchar_t kHex[] = L"0123456789abcdef";
    std::wstring text(static_cast<size_t>(digits), L'0');
    for (int i = digits - 1; i >= 0; --i, value >>= 4)
        text[static_cast<size_t>(i)] = kHex[value & 0xf];
    return text;
}

// Lower-case digits only, as Hex writes them: any other spelling is not a name
// this library made.
bool ParseHex(const std::wstring& text, size_t at, size_t digits, uint64_t& value) {
    if (at + digits > text.size()) return false;
    value = 0;
    for (size_t i = at; i < at + digits; ++i) {
        const wchar_t c = text[i];
        if (c >= L'0' && c <= L'9')
            value = (value << 4) | static_cast<uint64_t>(c - L'0');
        else if (c >= L'a' && c <= L'f')
            value = (value << 4) | static_cast<uint64_t>(c - L'a' + 10);
        else
            return false;
    }
    return true;
}

// A process id alone names a process only while it runs; with the start
// time it names one run for good, so a later process that happens to get the
// same id is not taken for the file's owner.
std::wstring OwnerTag() {
    static const std::wstring tag = [] {
        uint64_t start = 0;
        if (!StartTimeOf(::GetCurrentProcess(), start)) return std::wstring();
        return Hex(::GetCurrentProcessId(), 8) + L"-" + Hex(start, 16) + L"-";
    }();
    return tag;
}

// Only an ended process proves a file abandoned. A process that cannot be
// looked at (another user's, say) may still be working on its file.
bool ProcessHasEnded(DWORD id, uint64_t start) {
    CKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, id));
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
    uint64_t actual = 0;
    if (!StartTimeOf(process.Get(), actual)) return false;
    if (actual != start) return true;  // the id has passed to another process
    return ::WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
}

}  // namespace

CFileHandle CreateTempFileIn(const std::wstring& folder, const wchar_t* prefix,
                             std::wstring& path) {
    return CreateNewFileNamed(folder + L"\\" + prefix, path);
}

CFileHandle CreateOwnedTempFileIn(const std::wstring& folder, const wchar_t* prefix,
                                  std::wstring& path) {
    // Without its owner in the name a file is never swept, which is the safe
    // side of not knowing who made it.
    return CreateNewFileNamed(folder + L"\\" + prefix + OwnerTag(), path);
}

void RemoveAbandonedTempFiles(const std::wstring& folder, const wchar_t* prefix) {
    const std::wstring start(prefix);
    const size_t idAt = start.size(), startAt = idAt + 9, hexAt = startAt + 17,
                 length = hexAt + 8 + 4;
    WIN32_FIND_DATAW data;
    CFindHandle find(::FindFirstFileW((folder + L"\\" + start + L"*.tmp").c_str(), &data));
    if (!find) return;
    do {
        const std::wstring name = data.cFileName;
        uint64_t id = 0, started = 0, unique = 0;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || name.size() != length ||
            name.compare(0, idAt, start) != 0 || !ParseHex(name, idAt, 8, id) ||
            name[startAt - 1] != L'-' || !ParseHex(name, startAt, 16, started) ||
            name[hexAt - 1] != L'-' || !ParseHex(name, hexAt, 8, unique) ||
            name.compare(hexAt + 8, 4, L".tmp") != 0)
            continue;
        if (!ProcessHasEnded(static_cast<DWORD>(id), started)) continue;
        // Opened unshared, so that a file somebody still holds is not touched
        // (a hook of the ended restore handed it on, say); deleted through
        // that very handle.
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
    return ::GetFileAttributesW(ForFileCall(path).c_str()) != INVALID_FILE_ATTRIBUTES ||
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
