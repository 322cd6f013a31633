#include "standin/zebqt/PathRules.h"

#include <cwctype>
#include <vector>

namespace zq {
namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

std::vector<std::wstring> SplitComponents(const std::wstring& text) {
    std::vector<std::wstring> parts;
    std::wstring part;
    for (wchar_t c : text) {
        if (IsSeparator(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

// Resolves "." and ".." and drops empty components; Win32 also strips
// trailing dots and blanks from every component of a plain path. False when
// ".." would climb above the root.
bool NormaliseComponents(const std::vector<std::wstring>& in, bool win32Trimming,
                         std::vector<std::wstring>& out) {
    for (std::wstring part : in) {
        if (part.empty() || part == L".") continue;
        if (part == L"..") {
            if (out.empty()) return false;
            out.pop_back();
            continue;
        }
        if (win32Trimming) {
            while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) part.pop_back();
            if (part.empty()) continue;
        }
        out.push_back(part);
    }
    return true;
}

bool HasBadCharacter(const std::wstring& component, bool allowColon) {
    for (wchar_t c : component) {
        if (c < 32 || c == L'<' || c == L'>' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
            return true;
        if (c == L':' && !allowColon) return true;
    }
    return false;
}

std::wstring Join(const std::wstring& root, const std::vector<std::wstring>& parts) {
    std::wstring path = root;
    for (const std::wstring& part : parts) path += L"\\" + part;
    return path;
}

}  // namespace

std::wstring WithOneTrailingBackslash(const std::wstring& folder) {
    if (folder.empty()) return folder;
    size_t end = folder.size();
    while (end > 0 && IsSeparator(folder[end - 1])) --end;
    return folder.substr(0, end) + L"\\";
}

std::wstring LeafName(const std::wstring& path) {
    const size_t sep = path.find_last_of(L"\\/");
    return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

bool IsSafeLeafName(const std::wstring& name) {
    if (name.empty() || name.size() > 255 || name == L"." || name == L"..") return false;
    if (HasBadCharacter(name, false) || name.find_first_of(L"\\/") != std::wstring::npos)
        return false;
    if (name.find_first_not_of(L". ") == std::wstring::npos) return false;
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    for (wchar_t& c : base) c = static_cast<wchar_t>(std::towupper(c));
    static const wchar_t* const kDevices[] = {L"CON", L"PRN",    L"AUX",
                                              L"NUL", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : kDevices)
        if (base == device) return false;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0) &&
        base[3] >= L'0' && base[3] <= L'9')
        return false;
    return true;
}

bool ToExtendedPath(const std::wstring& path, std::wstring& extended) {
    std::vector<std::wstring> parts;
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        const std::vector<std::wstring> in = SplitComponents(path.substr(8));
        for (const std::wstring& part : in)
            if (part == L"." || part == L".." || HasBadCharacter(part, false)) return false;
        if (!NormaliseComponents(in, false, parts) || parts.size() < 2) return false;
        extended = Join(L"\\\\?\\UNC", parts);
        return true;
    }
    if (path.compare(0, 4, L"\\\\?\\") == 0) {
        const std::wstring rest = path.substr(4);
        if (rest.size() < 3 || !std::iswalpha(rest[0]) || rest[1] != L':' || rest[2] != L'\\')
            return false;
        const std::vector<std::wstring> in = SplitComponents(rest.substr(3));
        for (const std::wstring& part : in)
            if (part == L"." || part == L".." || HasBadCharacter(part, false)) return false;
        if (!NormaliseComponents(in, false, parts)) return false;
        extended = Join(L"\\\\?\\" + rest.substr(0, 2), parts);
        return true;
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        if (path.size() >= 3 && (path[2] == L'.' || path[2] == L'?')) return false;
        const std::vector<std::wstring> in = SplitComponents(path.substr(2));
        for (const std::wstring& part : in)
            if (HasBadCharacter(part, false)) return false;
        if (in.size() < 2 || in[0].empty() || in[1].empty()) return false;
        std::vector<std::wstring> below(in.begin() + 2, in.end());
        if (!NormaliseComponents(below, true, parts)) return false;
        parts.insert(parts.begin(), {in[0], in[1]});
        extended = Join(L"\\\\?\\UNC", parts);
        return true;
    }
    if (path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
        const std::vector<std::wstring> in = SplitComponents(path.substr(3));
        for (const std::wstring& part : in)
            if (HasBadCharacter(part, false)) return false;
        if (!NormaliseComponents(in, true, parts)) return false;
        extended = Join(L"\\\\?\\" + path.substr(0, 2), parts);
        return true;
    }
    return false;
}

std::wstring ParentOf(const std::wstring& path) {
    const size_t sep = path.find_last_of(L'\\');
    return sep == std::wstring::npos ? std::wstring() : path.substr(0, sep);
}

}  // namespace zq
