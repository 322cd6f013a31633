#pragma once

// A quarantine library that answers the way a broken or malicious one might:
// bin/doubles/hostile/ZEBQt.dll. It exports all 31 entry points and two
// control functions; HostileSettings chooses how it misbehaves.
//
// What it hands out, by container index i (0, 1, 2 ...):
//   - container handles from HostileContainerHandle(i): 0, INT32_MAX, -2,
//     INT32_MIN and so on, never -1 unless the enumeration ends;
//   - texts from the Hostile... functions below: with fillBuffers every text
//     fills the caller's buffer to its last character and carries no NUL,
//     except that paths are pathChars long (see there); without it, short
//     NUL-terminated texts;
//   - time stamps from HostileTime(i), most of them with fields out of range;
//   - objects whose kinds come from HostileKind(j), except the one at
//     fileObjectAt, which is a file (kind 0).
// The quarantine file name of container i carries i between two '#', so a
// name, or any text ending in one, leads back to its container
// (HostileIndexOf); OpenContainerByName works that way.
//
// Property reads and restores write their outputs whatever they answer, as a
// library may write before it fails.

#include <windows.h>

#include <climits>
#include <cstdint>
#include <string>

#include "framework/Handles.h"
#include "tests/common/TestPaths.h"

enum : int32_t {
    // An enumeration that never answers -1.
    kHostileEndless = -1,
    // No index (no gap, no file object).
    kHostileNone = -1,
};

// How long path texts are with fillBuffers, besides a number of characters.
enum : int32_t {
    // The caller's whole buffer, without a NUL.
    kHostileWholeBuffer = 0,
    // All of the caller's buffer but its last character, which is a NUL: a
    // text cut and terminated.
    kHostileWholeBufferTerminated = -1,
};

// Calls after which an endless enumeration answers -1 after all, so that a
// caller that never stops fails its test instead of running until memory
// runs out. Far above what any sensible caller asks for.
const int32_t kHostileRunawayLimit = 2000000;

struct HostileSettings {
    int32_t startEnumResult = 0;  // ZEBQtStartEnumContainers
    int32_t containerCount = 3;   // or kHostileEndless
    // The index at which ZEBQtOpenContainer answers -1 although later indexes
    // still answer handles.
    int32_t containerGapAt = kHostileNone;
    int32_t objectCount = 1;  // per container, or kHostileEndless
    int32_t objectGapAt = kHostileNone;
    int32_t fileObjectAt = 0;  // the index of the one file object, or kHostileNone
    // Non-zero: index 1 answers the very handle that index 0 got, for
    // containers and objects alike, and every quarantine opens as the same
    // handle.
    int32_t duplicateHandles = 0;
    int32_t fillBuffers = 1;
    // With fillBuffers, the characters of every path text (the quarantine's
    // path, a quarantine file's path, a former path, a restore's texts),
    // written without a NUL but never past the buffer: by default as many as
    // the buffers the program once gave them had, or kHostileWholeBuffer or
    // kHostileWholeBufferTerminated.
    int32_t pathChars = 260;
    // Characters of a quarantine file's name (at least 13); 0 for the
    // shortest.
    int32_t nameLength = 0;
    // Non-zero: the name after the file path's last backslash starts with
    // "../", which leads out of the quarantine folder.
    int32_t climbOut = 0;
    // What the property reads answer (they fill their outputs anyway).
    int32_t propertiesResult = 0;
    // ZEBQtRestoreContainer and ZEBQtRestoreFileObject of container i answer
    // restoreCodes[i % restoreCodeCount]; 0 when the count is 0.
    int32_t restoreCodes[8] = {};
    int32_t restoreCodeCount = 0;
};

// What the library saw since it was configured.
struct HostileCounts {
    int32_t quarantinesOpened;
    int32_t containersOpened;  // by enumeration and by name
    int32_t objectsOpened;
    int32_t outstanding;  // handles handed out and not closed, of every kind
    int32_t strayCloses;  // closes of handles that were not open
    int32_t openContainerCalls;
    int32_t openObjectCalls;
    int32_t restoreCalls;  // ZEBQtRestoreContainer
    int32_t hookCalls;     // calls the library made of a cleaning hook
    int32_t runawayStops;  // endless enumerations cut off at kHostileRunawayLimit
};

// Replaces the settings and zeroes the counts.
typedef void(__cdecl* PFN_HostileConfigure)(const HostileSettings* settings);
typedef void(__cdecl* PFN_HostileReadCounts)(HostileCounts* counts);

// Texts and values the library reports -------------------------------------

// The characters a path text takes in a buffer of the capacity.
inline size_t HostilePathLength(const HostileSettings& s, size_t capacity) {
    if (s.pathChars == kHostileWholeBuffer) return capacity;
    if (s.pathChars == kHostileWholeBufferTerminated) return capacity > 0 ? capacity - 1 : 0;
    return s.pathChars > 0 && static_cast<size_t>(s.pathChars) < capacity
               ? static_cast<size_t>(s.pathChars)
               : capacity;
}

// Fill characters: no backslash, dot, '#' or NUL; some outside Latin-1, an
// unpaired surrogate among them.
inline wchar_t HostileFiller(size_t i) {
    static const wchar_t kChars[] = {L'a',   L'B',   L'z',   L'0',   L'9',   L' ',   L'_', L'~',
                                     0x00E4, 0x00DF, 0x0416, 0x4E2D, 0x00FF, 0xD800, L'Q', L'-'};
    return kChars[i % (sizeof(kChars) / sizeof(kChars[0]))];
}

inline std::wstring HostilePadded(std::wstring text, size_t length) {
    while (text.size() < length) text += HostileFiller(text.size());
    return text;
}

inline std::wstring HostileIndexTag(int32_t index) {
    std::wstring digits = std::to_wstring(index);
    if (digits.size() < 6) digits.insert(0, 6 - digits.size(), L'0');
    return L"#" + digits + L"#";
}

// The container index a text ending in a quarantine file name names; -1 when
// it names none.
inline int32_t HostileIndexOf(const std::wstring& text) {
    const size_t last = text.rfind(L'#');
    if (last == std::wstring::npos || last == 0) return -1;
    const size_t first = text.rfind(L'#', last - 1);
    if (first == std::wstring::npos || last - first < 7 || last - first > 10) return -1;
    int32_t index = 0;
    for (size_t i = first + 1; i < last; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return -1;
        index = index * 10 + (text[i] - L'0');
    }
    return index;
}

// The quarantine file's name: a first letter that varies in case, the index
// tag, filler up to the length, ".qua".
inline std::wstring HostileName(int32_t index, int32_t length) {
    static const wchar_t kFirst[] = L"bAcaBCdD";
    std::wstring name = std::wstring(1, kFirst[index % 8]) + HostileIndexTag(index);
    name = HostilePadded(name, length > 13 ? static_cast<size_t>(length) - 4 : 0);
    return name + L".qua";
}

// The container's file path: the name after a folder, the whole exactly cch
// characters long when filled (the folder shrinks, then the name's start
// goes, so that the path ends with the name).
inline std::wstring HostileFilePath(int32_t index, const HostileSettings& s, size_t cch) {
    const std::wstring tail = (s.climbOut ? L"\\../" : L"\\") + HostileName(index, s.nameLength);
    if (!s.fillBuffers) return L"C:\\Hostile" + tail;
    std::wstring path = HostilePadded(L"Q:", cch > tail.size() ? cch - tail.size() : 0) + tail;
    return path.substr(path.size() - cch);
}

inline std::wstring HostileVirus(int32_t index, const HostileSettings& s, size_t cch) {
    static const wchar_t kLetter[] = L"xYzW";
    const std::wstring virus =
        L"Virus." + std::wstring(1, kLetter[index % 4]) + HostileIndexTag(index);
    return s.fillBuffers ? HostilePadded(virus, cch).substr(0, cch) : virus;
}

// A file object's former path in two parts: the folder (without the "\\?\"
// the library puts before it) and the file name.
struct HostileOrigParts {
    std::wstring folder;
    std::wstring fileName;
};

inline HostileOrigParts HostileOrig(int32_t index, const HostileSettings& s, size_t cch) {
    static const wchar_t* const kExtension[] = {L".exe", L".EXE", L".dll", L""};
    HostileOrigParts parts;
    parts.fileName = L"f" + HostileIndexTag(index) + kExtension[index % 4];
    const size_t taken = 4 + 1 + parts.fileName.size();  // "\\?\", the separator
    parts.folder = s.fillBuffers ? HostilePadded(L"C:\\", cch > taken ? cch - taken : 0)
                                 : std::wstring(L"C:\\Data");
    return parts;
}

inline std::wstring HostileOrigPath(int32_t index, const HostileSettings& s, size_t cch) {
    const HostileOrigParts parts = HostileOrig(index, s, cch);
    return (L"\\\\?\\" + parts.folder + L"\\" + parts.fileName).substr(0, cch);
}

inline std::wstring HostileQuarantinePath(const HostileSettings& s, size_t cch) {
    return s.fillBuffers ? HostilePadded(L"Q:\\", cch) : std::wstring(L"C:\\Hostile\\");
}

// Texts ZEBQtRestoreFileObject reports.
inline std::wstring HostileRestoreText(const HostileSettings& s, size_t cch) {
    return s.fillBuffers ? HostilePadded(L"R:", cch) : std::wstring(L"R:\\restored");
}

inline int32_t HostileContainerHandle(int32_t index) {
    static const int32_t kFirst[] = {0, INT32_MAX, -2, INT32_MIN, 1};
    return index < 5 ? kFirst[index] : 0x40000000 + index;
}

inline int32_t HostileContainerIndex(int32_t handle) {
    for (int32_t i = 0; i < 5; ++i)
        if (HostileContainerHandle(i) == handle) return i;
    return handle >= 0x40000005 ? handle - 0x40000000 : -1;
}

// Object kinds: none of them a file; the unknown ones outnumber the known.
inline int32_t HostileKind(int32_t index) {
    static const int32_t kKinds[] = {3, -1, 2, INT32_MIN, 1, INT32_MAX, -2, 65536};
    return kKinds[index % 8];
}

enum { kHostileTimeCount = 18 };

// Time stamps by container index (cycling): first those with a field out of
// range, then two before 1900, two the C runtime cannot convert, one with
// every field at its maximum, and three in range.
inline SYSTEMTIME HostileTime(int32_t index) {
    // year, month, day of week, day, hour, minute, second, milliseconds
    static const SYSTEMTIME kTimes[kHostileTimeCount] = {
        {2026, 0, 0, 15, 10, 0, 0, 0},
        {2026, 13, 0, 15, 10, 0, 0, 0},
        {2026, 65535, 0, 15, 10, 0, 0, 0},
        {2026, 5, 0, 0, 10, 0, 0, 0},
        {2026, 5, 0, 32, 10, 0, 0, 0},
        {2026, 2, 0, 30, 10, 0, 0, 0},
        {2026, 5, 0, 10, 24, 0, 0, 0},
        {2026, 5, 0, 10, 65535, 0, 0, 0},
        {2026, 5, 0, 10, 10, 60, 0, 0},
        {2026, 5, 0, 10, 10, 0, 60, 0},
        {1899, 12, 0, 31, 23, 59, 59, 999},
        {0, 0, 0, 0, 0, 0, 0, 0},
        {65535, 6, 0, 1, 0, 0, 0, 0},
        {30000, 6, 0, 1, 0, 0, 0, 0},
        {65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535},
        {2026, 12, 2, 8, 4, 36, 0, 0},
        {2024, 2, 4, 29, 23, 59, 59, 999},
        {2025, 7, 65535, 14, 12, 30, 0, 65535},
    };
    return kTimes[index % kHostileTimeCount];
}

// Test-side access to a loaded hostile library.
class CHostileLibrary {
public:
    static std::wstring Directory() { return TestBinDir() + L"\\doubles\\hostile"; }

    explicit CHostileLibrary(HMODULE module)
        : m_pfnConfigure(
              ProcCast<PFN_HostileConfigure>(::GetProcAddress(module, "HostileConfigure"))),
          m_pfnReadCounts(
              ProcCast<PFN_HostileReadCounts>(::GetProcAddress(module, "HostileReadCounts"))) {}

    bool IsValid() const { return m_pfnConfigure != nullptr && m_pfnReadCounts != nullptr; }
    void Configure(const HostileSettings& settings) const { m_pfnConfigure(&settings); }
    HostileCounts Counts() const {
        HostileCounts counts = {};
        m_pfnReadCounts(&counts);
        return counts;
    }

private:
    PFN_HostileConfigure m_pfnConfigure;
    PFN_HostileReadCounts m_pfnReadCounts;
};
