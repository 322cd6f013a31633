// The scriptable, call-recording quarantine library; Recorder.h describes the
// script and the recorded lines.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <cwchar>
#include <string>
#include <type_traits>
#include <vector>

#include "quarantine/ZEBQtEntryPoints.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

namespace {

struct ObjectScript {
    int32_t handle = -1;
    int32_t kind = 0;
    bool reportsKind = true;
    int32_t props = 0;
    std::wstring orig, virus, text1, text2;
    int32_t restore = 0;
};

struct ContainerScript {
    int32_t handle = -1;
    int32_t props = 0;
    std::wstring file, virus, name;
    SYSTEMTIME time = {};
    uint32_t info1 = 0, info2 = 0;
    int32_t restore = 0;
    bool hasHookValue = false;
    uintptr_t hookValue = 0;
    std::vector<ObjectScript> objects;
};

struct QuarantineScript {
    int32_t handle = -1;
    std::wstring path, text;
    bool hasText = false;
    int32_t props = 0;
    int32_t startEnum = 0;
    bool recordErrorMode = false;
    std::vector<ContainerScript> containers;
};

std::vector<QuarantineScript> g_quarantines;
std::wstring g_calls;
std::wstring g_logPath;
bool g_initialised = false;

std::wstring ModuleFolder() {
    HMODULE self = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ModuleFolder), &self);
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(self, &path[0], static_cast<DWORD>(path.size())));
    return path.substr(0, path.find_last_of(L'\\'));
}

std::string ToUtf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n,
                          nullptr, nullptr);
    return bytes;
}

std::wstring FromUtf8(const std::string& bytes) {
    if (bytes.empty()) return std::wstring();
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], n);
    return text;
}

void Record(const std::wstring& call) {
    g_calls += call;
    g_calls += L'\n';
    if (g_logPath.empty()) return;
    const HANDLE file = ::CreateFileW(g_logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    const std::string line = ToUtf8(call + L"\n");
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

std::wstring Num(int64_t value) {
    return std::to_wstring(value);
}

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        parts.push_back(
            text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos) return parts;
        start = end + 1;
    }
}

bool ToInt(const std::wstring& text, int64_t& value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    value = std::wcstoll(text.c_str(), &end, 0);
    return end != nullptr && *end == L'\0';
}

bool ToInt32(const std::wstring& text, int32_t& value) {
    int64_t wide = 0;
    if (!ToInt(text, wide)) return false;
    value = static_cast<int32_t>(wide);
    return true;
}

bool ParseTime(const std::wstring& text, SYSTEMTIME& time) {
    const std::vector<std::wstring> parts = Split(text, L',');
    if (parts.size() != 8) return false;
    WORD* fields[8] = {&time.wYear, &time.wMonth,  &time.wDayOfWeek, &time.wDay,
                       &time.wHour, &time.wMinute, &time.wSecond,    &time.wMilliseconds};
    for (size_t i = 0; i < 8; ++i) {
        int64_t value = 0;
        if (!ToInt(parts[i], value)) return false;
        *fields[i] = static_cast<WORD>(value);
    }
    return true;
}

bool ParseField(QuarantineScript& q, const std::wstring& key, const std::wstring& value) {
    if (key == L"handle") return ToInt32(value, q.handle);
    if (key == L"path") return q.path = value, true;
    if (key == L"text") return q.text = value, q.hasText = true;
    if (key == L"props") return ToInt32(value, q.props);
    if (key == L"startenum") return ToInt32(value, q.startEnum);
    if (key == L"errormode") return q.recordErrorMode = value == L"record", q.recordErrorMode;
    return false;
}

bool ParseField(ContainerScript& c, const std::wstring& key, const std::wstring& value) {
    if (key == L"handle") return ToInt32(value, c.handle);
    if (key == L"props") return ToInt32(value, c.props);
    if (key == L"file") return c.file = value, true;
    if (key == L"virus") return c.virus = value, true;
    if (key == L"name") return c.name = value, true;
    if (key == L"time") return ParseTime(value, c.time);
    if (key == L"restore") return ToInt32(value, c.restore);
    if (key == L"info") {
        const std::vector<std::wstring> parts = Split(value, L',');
        int64_t a = 0, b = 0;
        if (parts.size() != 2 || !ToInt(parts[0], a) || !ToInt(parts[1], b)) return false;
        c.info1 = static_cast<uint32_t>(a);
        c.info2 = static_cast<uint32_t>(b);
        return true;
    }
    if (key == L"hookvalue") {
        int64_t v = 0;
        if (!ToInt(value, v)) return false;
        c.hookValue = static_cast<uintptr_t>(v);
        return c.hasHookValue = true;
    }
    return false;
}

bool ParseField(ObjectScript& o, const std::wstring& key, const std::wstring& value) {
    if (key == L"handle") return ToInt32(value, o.handle);
    if (key == L"kind" && value == L"none") return o.reportsKind = false, true;
    if (key == L"kind") return ToInt32(value, o.kind);
    if (key == L"props") return ToInt32(value, o.props);
    if (key == L"orig") return o.orig = value, true;
    if (key == L"virus") return o.virus = value, true;
    if (key == L"restore") return ToInt32(value, o.restore);
    if (key == L"text1") return o.text1 = value, true;
    if (key == L"text2") return o.text2 = value, true;
    return false;
}

template <typename Record>
bool ParseFields(Record& record, const std::vector<std::wstring>& fields) {
    for (size_t i = 1; i < fields.size(); ++i) {
        const size_t equals = fields[i].find(L'=');
        if (equals == std::wstring::npos) return false;
        if (!ParseField(record, fields[i].substr(0, equals), fields[i].substr(equals + 1)))
            return false;
    }
    return true;
}

// 0, or the 1-based number of the first line not understood.
int32_t LoadScript(const std::wstring& script) {
    g_quarantines.clear();
    g_calls.clear();
    const std::vector<std::wstring> lines = Split(script, L'\n');
    for (size_t n = 0; n < lines.size(); ++n) {
        std::wstring line = lines[n];
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (line.empty()) continue;
        const std::vector<std::wstring> fields = Split(line, L'|');
        const int32_t lineNumber = static_cast<int32_t>(n + 1);
        if (fields[0] == L"quarantine") {
            g_quarantines.emplace_back();
            if (!ParseFields(g_quarantines.back(), fields)) return lineNumber;
        } else if (fields[0] == L"container") {
            if (g_quarantines.empty()) return lineNumber;
            g_quarantines.back().containers.emplace_back();
            if (!ParseFields(g_quarantines.back().containers.back(), fields)) return lineNumber;
        } else if (fields[0] == L"object") {
            if (g_quarantines.empty() || g_quarantines.back().containers.empty()) return lineNumber;
            g_quarantines.back().containers.back().objects.emplace_back();
            if (!ParseFields(g_quarantines.back().containers.back().objects.back(), fields))
                return lineNumber;
        } else {
            return lineNumber;
        }
    }
    return 0;
}

// Another process has no test to script it: the script comes from a file.
void EnsureInitialised() {
    if (g_initialised) return;
    g_initialised = true;
    const std::wstring folder = ModuleFolder();
    const HANDLE file = ::CreateFileW((folder + L"\\RecorderScript.txt").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    ::CloseHandle(file);
    LoadScript(FromUtf8(bytes));
    g_logPath = folder + L"\\RecorderCalls.txt";
}

void Fill(wchar_t* buffer, int32_t cch, const std::wstring& text) {
    if (buffer == nullptr || cch <= 0) return;
    const size_t capacity = static_cast<size_t>(cch);
    const size_t count = text.size() < capacity ? text.size() : capacity;
    wmemcpy(buffer, text.data(), count);
    if (count < capacity) buffer[count] = L'\0';
}

std::wstring Text(const wchar_t* text) {
    return text != nullptr ? std::wstring(text) : std::wstring(L"(null)");
}

QuarantineScript* FindQuarantine(int32_t handle) {
    for (QuarantineScript& q : g_quarantines)
        if (q.handle == handle) return &q;
    return nullptr;
}

ContainerScript* FindContainer(int32_t handle) {
    for (QuarantineScript& q : g_quarantines)
        for (ContainerScript& c : q.containers)
            if (c.handle == handle) return &c;
    return nullptr;
}

ObjectScript* FindObject(int32_t handle) {
    for (QuarantineScript& q : g_quarantines)
        for (ContainerScript& c : q.containers)
            for (ObjectScript& o : c.objects)
                if (o.handle == handle) return &o;
    return nullptr;
}

}  // namespace

#define RECORDER_EXPORT extern "C" __declspec(dllexport)

RECORDER_EXPORT int32_t __cdecl RecorderScript(const wchar_t* script) {
    g_initialised = true;
    g_logPath.clear();
    return LoadScript(Text(script));
}

RECORDER_EXPORT int32_t __cdecl RecorderCalls(wchar_t* buffer, int32_t cchBuffer) {
    Fill(buffer, cchBuffer, g_calls);
    return static_cast<int32_t>(g_calls.size());
}

RECORDER_EXPORT int32_t __cdecl ZEBQtOpenQuarantine(const wchar_t* folder) {
    EnsureInitialised();
    Record(L"OpenQuarantine(" + Text(folder) + L")");
    for (const QuarantineScript& q : g_quarantines) {
        if (q.path != L"*" && (folder == nullptr || q.path != folder)) continue;
        if (q.recordErrorMode) Record(L"ErrorMode(" + Num(::GetErrorMode()) + L")");
        return q.handle;
    }
    return -1;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtCloseQuarantine(int32_t hQuarantine) {
    EnsureInitialised();
    Record(L"CloseQuarantine(" + Num(hQuarantine) + L")");
    return 0;
}

RECORDER_EXPORT void __cdecl ZEBQtGetDefaultQuarantinePath(wchar_t* path, int32_t cchPath) {
    EnsureInitialised();
    Record(L"GetDefaultQuarantinePath(" + Num(cchPath) + L")");
    Fill(path, cchPath, std::wstring());
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetQuarantineProperties(int32_t hQuarantine, wchar_t* path,
                                                             int32_t cchPath) {
    EnsureInitialised();
    Record(L"GetQuarantineProperties(" + Num(hQuarantine) + L"," + Num(cchPath) + L")");
    const QuarantineScript* q = FindQuarantine(hQuarantine);
    if (q == nullptr) return 5;
    Fill(path, cchPath, q->hasText ? q->text : q->path);
    return q->props;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtCreateNewContainer(int32_t hQuarantine, const wchar_t* virus) {
    EnsureInitialised();
    Record(L"CreateNewContainer(" + Num(hQuarantine) + L"," + Text(virus) + L")");
    return -1;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtCloseContainer(int32_t hContainer) {
    EnsureInitialised();
    Record(L"CloseContainer(" + Num(hContainer) + L")");
    return 0;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtStartEnumContainers(int32_t hQuarantine) {
    EnsureInitialised();
    Record(L"StartEnumContainers(" + Num(hQuarantine) + L")");
    const QuarantineScript* q = FindQuarantine(hQuarantine);
    return q != nullptr ? q->startEnum : 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetContainerCount(int32_t hQuarantine) {
    EnsureInitialised();
    Record(L"GetContainerCount(" + Num(hQuarantine) + L")");
    const QuarantineScript* q = FindQuarantine(hQuarantine);
    return q != nullptr ? static_cast<int32_t>(q->containers.size()) : 0;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtOpenContainer(int32_t hQuarantine, int32_t index) {
    EnsureInitialised();
    Record(L"OpenContainer(" + Num(hQuarantine) + L"," + Num(index) + L")");
    const QuarantineScript* q = FindQuarantine(hQuarantine);
    if (q == nullptr || index < 0 || static_cast<size_t>(index) >= q->containers.size()) return -1;
    return q->containers[static_cast<size_t>(index)].handle;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtOpenContainerByName(const wchar_t* containerPath) {
    EnsureInitialised();
    Record(L"OpenContainerByName(" + Text(containerPath) + L")");
    for (const QuarantineScript& q : g_quarantines)
        for (const ContainerScript& c : q.containers)
            if (!c.name.empty() && containerPath != nullptr && c.name == containerPath)
                return c.handle;
    return -1;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetContainerProperties(int32_t hContainer, wchar_t* filePath,
                                                            int32_t cchFilePath, wchar_t* virus,
                                                            int32_t cchVirus, SYSTEMTIME* time,
                                                            uint32_t* info1, uint32_t* info2) {
    EnsureInitialised();
    Record(L"GetContainerProperties(" + Num(hContainer) + L"," + Num(cchFilePath) + L"," +
           Num(cchVirus) + L")");
    const ContainerScript* c = FindContainer(hContainer);
    if (c == nullptr) return 5;
    Fill(filePath, cchFilePath, c->file);
    Fill(virus, cchVirus, c->virus);
    if (time != nullptr) *time = c->time;
    if (info1 != nullptr) *info1 = c->info1;
    if (info2 != nullptr) *info2 = c->info2;
    return c->props;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtStoreFileIntoContainer(int32_t hContainer, const wchar_t* file,
                                                            const wchar_t* virus) {
    EnsureInitialised();
    Record(L"StoreFileIntoContainer(" + Num(hContainer) + L"," + Text(file) + L"," + Text(virus) +
           L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtStoreRegistryValueIntoContainer(int32_t hContainer,
                                                                     const wchar_t* keyPath,
                                                                     const wchar_t* valueName,
                                                                     const wchar_t* virus) {
    EnsureInitialised();
    Record(L"StoreRegistryValueIntoContainer(" + Num(hContainer) + L"," + Text(keyPath) + L"," +
           Text(valueName) + L"," + Text(virus) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtStoreHostsFileEntryIntoContainer(int32_t hContainer,
                                                                      const wchar_t* entry,
                                                                      const wchar_t* virus) {
    EnsureInitialised();
    Record(L"StoreHostsFileEntryIntoContainer(" + Num(hContainer) + L"," + Text(entry) + L"," +
           Text(virus) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtOpenObject(int32_t hContainer, int32_t index, int32_t* kind) {
    EnsureInitialised();
    Record(L"OpenObject(" + Num(hContainer) + L"," + Num(index) + L")");
    const ContainerScript* c = FindContainer(hContainer);
    if (c == nullptr || index < 0 || static_cast<size_t>(index) >= c->objects.size()) return -1;
    const ObjectScript& o = c->objects[static_cast<size_t>(index)];
    if (kind != nullptr && o.reportsKind) *kind = o.kind;
    return o.handle;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtCloseObject(int32_t hObject) {
    EnsureInitialised();
    Record(L"CloseObject(" + Num(hObject) + L")");
    return 0;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetFileObjectProperties(int32_t hObject, wchar_t* origPath,
                                                             int32_t cchOrigPath, wchar_t* virus,
                                                             int32_t cchVirus,
                                                             ZEBQtFileInfo* info) {
    EnsureInitialised();
    Record(L"GetFileObjectProperties(" + Num(hObject) + L"," + Num(cchOrigPath) + L"," +
           Num(cchVirus) + L")");
    const ObjectScript* o = FindObject(hObject);
    if (o == nullptr) return 5;
    Fill(origPath, cchOrigPath, o->orig);
    Fill(virus, cchVirus, o->virus);
    if (info != nullptr) memset(info->bytes, 0xA5, sizeof info->bytes);
    return o->props;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetRegistryObjectProperties(int32_t hObject, wchar_t* keyPath,
                                                                 int32_t cchKeyPath,
                                                                 wchar_t* valueName,
                                                                 int32_t cchValueName,
                                                                 wchar_t* virus, int32_t cchVirus) {
    EnsureInitialised();
    Record(L"GetRegistryObjectProperties(" + Num(hObject) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetHostsFileEntryObjectProperties(
    int32_t hObject, wchar_t* entry, int32_t cchEntry, wchar_t* virus, int32_t cchVirus) {
    EnsureInitialised();
    Record(L"GetHostsFileEntryObjectProperties(" + Num(hObject) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtRestoreFileObject(int32_t hObject, uint32_t value1,
                                                       uint32_t value2, uint32_t value3,
                                                       uint32_t value4, uint32_t value5,
                                                       wchar_t* text1, int32_t cchText1,
                                                       wchar_t* text2, int32_t cchText2) {
    EnsureInitialised();
    Record(L"RestoreFileObject(" + Num(hObject) + L"," + Num(value1) + L"," + Num(value2) + L"," +
           Num(value3) + L"," + Num(value4) + L"," + Num(value5) + L"," + Num(cchText1) + L"," +
           Num(cchText2) + L")");
    const ObjectScript* o = FindObject(hObject);
    if (o == nullptr) return 5;
    Fill(text1, cchText1, o->text1);
    Fill(text2, cchText2, o->text2);
    return o->restore;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtRestoreRegistryObject(int32_t hObject) {
    EnsureInitialised();
    Record(L"RestoreRegistryObject(" + Num(hObject) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtRestoreHostsFileEntryObject(int32_t hObject) {
    EnsureInitialised();
    Record(L"RestoreHostsFileEntryObject(" + Num(hObject) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtRestoreContainer(int32_t hContainer,
                                                      const wchar_t* destination, uint32_t flags,
                                                      ZEBQtCleanHook hook, uintptr_t context,
                                                      uint32_t reserved) {
    EnsureInitialised();
    Record(L"RestoreContainer(" + Num(hContainer) + L"," + Text(destination) + L"," + Num(flags) +
           L"," + (hook != nullptr ? L"hook" : L"null") + L"," + std::to_wstring(context) + L"," +
           Num(reserved) + L")");
    const ContainerScript* c = FindContainer(hContainer);
    if (c == nullptr) return 5;
    if (hook != nullptr && c->hasHookValue) {
        const int32_t cured = hook(c->hookValue, context);
        Record(L"CleanHook(" + std::to_wstring(c->hookValue) + L"," + std::to_wstring(context) +
               L")=" + Num(cured));
        if (cured != 0) return -3;
    }
    return c->restore;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtStartEnumQFilesEx(const wchar_t* folder,
                                                       const wchar_t* pattern) {
    EnsureInitialised();
    Record(L"StartEnumQFilesEx(" + Text(folder) + L"," + Text(pattern) + L")");
    return 0;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtStartEnumQFiles(const wchar_t* folder) {
    EnsureInitialised();
    Record(L"StartEnumQFiles(" + Text(folder) + L")");
    return 0;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtMoveToQuarantineEx(const wchar_t* folder, const wchar_t* file,
                                                        const wchar_t* virus,
                                                        const SYSTEMTIME* time) {
    EnsureInitialised();
    Record(L"MoveToQuarantineEx(" + Text(folder) + L"," + Text(file) + L"," + Text(virus) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtMoveToQuarantine(const wchar_t* folder, const wchar_t* file,
                                                      const wchar_t* virus) {
    EnsureInitialised();
    Record(L"MoveToQuarantine(" + Text(folder) + L"," + Text(file) + L"," + Text(virus) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtExport(int32_t hContainer, const wchar_t* targetFile) {
    EnsureInitialised();
    Record(L"Export(" + Num(hContainer) + L"," + Text(targetFile) + L")");
    return 5;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetNextQFile(int32_t hEnum, wchar_t* path, int32_t cchPath) {
    EnsureInitialised();
    Record(L"GetNextQFile(" + Num(hEnum) + L"," + Num(cchPath) + L")");
    return 1;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetQFileCount(int32_t hEnum) {
    EnsureInitialised();
    Record(L"GetQFileCount(" + Num(hEnum) + L")");
    return 0;
}

RECORDER_EXPORT int32_t __cdecl ZEBQtGetQFileInfo(const wchar_t* quarantineFile, wchar_t* virus,
                                                  int32_t cchVirus, SYSTEMTIME* time) {
    EnsureInitialised();
    Record(L"GetQFileInfo(" + Text(quarantineFile) + L"," + Num(cchVirus) + L")");
    return 5;
}

// Every entry point must keep the signature the binding calls it with.
#define RECORDER_CHECK_SIGNATURE(name, ret, stub, params)             \
    static_assert(std::is_same<decltype(&::name), PFN_##name>::value, \
                  #name " has the wrong signature");
ZEBQT_ENTRY_POINTS(RECORDER_CHECK_SIGNATURE)
#undef RECORDER_CHECK_SIGNATURE
