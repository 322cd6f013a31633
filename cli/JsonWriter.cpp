#include "cli/JsonWriter.h"

#include <windows.h>

namespace {

bool NeedsEscape(unsigned char byte) {
    return byte < 0x20 || byte == '"' || byte == '\\';
}

void AppendEscaped(std::string* pOut, unsigned char byte) {
    switch (byte) {
        case '"':
            *pOut += "\\\"";
            return;
        case '\\':
            *pOut += "\\\\";
            return;
        case '\b':
            *pOut += "\\b";
            return;
        case '\f':
            *pOut += "\\f";
            return;
        case '\n':
            *pOut += "\\n";
            return;
        case '\r':
            *pOut += "\\r";
            return;
        case '\t':
            *pOut += "\\t";
            return;
        default: {
            static const char kHexDigits[] = "0123456789abcdef";
            const char escaped[] = {
                '\\', 'u', '0', '0', kHexDigits[byte >> 4], kHexDigits[byte & 0x0f]};
            pOut->append(escaped, sizeof escaped);
        }
    }
}

}  // namespace

void AppendJsonStringContent(std::string* pOut, const std::wstring& text) {
    if (text.empty()) return;
    // Converted in place at the end of the text, in one call with room for
    // the most a UTF-16 unit can take (three bytes), then escaped where it
    // must be, which for file names and virus names is almost never.
    const int length = static_cast<int>(text.size());
    const size_t start = pOut->size();
    pOut->resize(start + 3 * text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, &(*pOut)[start],
                                           3 * length, nullptr, nullptr);
    pOut->resize(start + static_cast<size_t>(size > 0 ? size : 0));
    size_t first = start;
    while (first < pOut->size() && !NeedsEscape(static_cast<unsigned char>((*pOut)[first])))
        ++first;
    if (first == pOut->size()) return;
    const std::string rest = pOut->substr(first);
    pOut->resize(first);
    for (const char c : rest) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (NeedsEscape(byte))
            AppendEscaped(pOut, byte);
        else
            pOut->push_back(c);
    }
}

void CJsonWriter::NewLine(size_t depth) {
    m_pOut->push_back('\n');
    m_pOut->append(2 * depth, ' ');
}

void CJsonWriter::BeforeValue() {
    if (m_afterName) {
        m_afterName = false;
        return;
    }
    if (m_counts.empty()) return;
    if (m_counts.back()++ != 0) m_pOut->push_back(',');
    NewLine(m_counts.size());
}

void CJsonWriter::Name(const char* name) {
    if (!m_counts.empty() && m_counts.back()++ != 0) m_pOut->push_back(',');
    NewLine(m_counts.size());
    m_pOut->push_back('"');
    *m_pOut += name;
    *m_pOut += "\": ";
    m_afterName = true;
}

void CJsonWriter::Open(char bracket) {
    BeforeValue();
    m_pOut->push_back(bracket);
    m_counts.push_back(0);
}

void CJsonWriter::Close(char bracket) {
    const size_t count = m_counts.back();
    m_counts.pop_back();
    // An empty object or array stays on its line: "[]".
    if (count != 0) NewLine(m_counts.size());
    m_pOut->push_back(bracket);
}

void CJsonWriter::BeginObject() {
    Open('{');
}
void CJsonWriter::EndObject() {
    Close('}');
}
void CJsonWriter::BeginArray() {
    Open('[');
}
void CJsonWriter::EndArray() {
    Close(']');
}

void CJsonWriter::String(const std::wstring& text) {
    BeforeValue();
    m_pOut->push_back('"');
    AppendJsonStringContent(m_pOut, text);
    m_pOut->push_back('"');
}

void CJsonWriter::Number(long long value) {
    BeforeValue();
    *m_pOut += std::to_string(value);
}
