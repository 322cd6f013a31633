#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// The rows of a walk over several rows that failed, for the one message shown
// when the walk is over: silence after such a walk would read as success.
class CWalkFailures {
public:
    // How many failed rows the message names; the rest are counted.
    static constexpr size_t kListed = 5;

    // name: the row's quarantine file; reason: the text the single-row
    // message for that failure shows.
    void Add(const std::wstring& name, const std::wstring& reason);
    size_t Count() const { return m_nCount; }
    const std::vector<std::pair<std::wstring, std::wstring>>& Listed() const { return m_listed; }

private:
    size_t m_nCount = 0;
    std::vector<std::pair<std::wstring, std::wstring>> m_listed;
};

// The message: head (with "%d" for the failed and the tried rows), a blank
// line, "name: reason" per listed row, and more (with "%d" for the rows not
// listed) when some were left out.
std::wstring WalkFailureText(const std::wstring& head, const std::wstring& more,
                             const CWalkFailures& failures, size_t tried);
