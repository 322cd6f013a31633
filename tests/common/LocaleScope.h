#pragma once

#include <clocale>
#include <string>

// Switches the C runtime locale, which the listing formats time stamps in, for
// one test and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(const wchar_t* name) {
        const wchar_t* previous = _wsetlocale(LC_ALL, nullptr);
        m_previous = previous ? previous : L"C";
        m_ok = _wsetlocale(LC_ALL, name) != nullptr;
    }
    ~LocaleScope() { _wsetlocale(LC_ALL, m_previous.c_str()); }
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;
    bool ok() const { return m_ok; }

private:
    std::wstring m_previous;
    bool m_ok = false;
};
