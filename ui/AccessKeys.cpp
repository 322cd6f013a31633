#include "ui/AccessKeys.h"

#include <windows.h>

#include <algorithm>

wchar_t AccessKeyOf(const std::wstring& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        // The same upper-casing the platform uses on the typed character, so
        // that "ä" and "Ä" count as one key.
        wchar_t key[2] = {text[i + 1], 0};
        ::CharUpperBuffW(key, 1);
        return key[0];
    }
    return 0;
}

std::vector<wchar_t> RepeatedAccessKeys(const std::vector<std::wstring>& texts) {
    std::vector<wchar_t> seen;
    std::vector<wchar_t> repeated;
    for (const std::wstring& text : texts) {
        const wchar_t key = AccessKeyOf(text);
        if (key == 0) continue;
        if (std::find(seen.begin(), seen.end(), key) == seen.end()) {
            seen.push_back(key);
        } else if (std::find(repeated.begin(), repeated.end(), key) == repeated.end()) {
            repeated.push_back(key);
        }
    }
    return repeated;
}

std::wstring TextWithoutAccessKey(const std::wstring& text) {
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}
