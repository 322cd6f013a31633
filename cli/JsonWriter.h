#pragma once

#include <cstddef>
#include <string>
#include <vector>

// JSON text (RFC 8259) written straight into a string, as the reports need
// it: objects and arrays opened and closed in turn, two blanks of indent per
// level, ": " after a name, only quotation marks, backslashes and control
// characters escaped, and everything else as UTF-8. A listing of ten
// thousand items takes a fraction of the time that building a document tree
// and printing it did.
class CJsonWriter {
public:
    explicit CJsonWriter(std::string* pOut) : m_pOut(pOut) {}

    // A name goes before each value inside an object, never inside an array.
    void Name(const char* name);
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void String(const std::wstring& text);
    void Number(long long value);
    // A member at once: the name, then the value.
    void Member(const char* name, const std::wstring& text) {
        Name(name);
        String(text);
    }
    void Member(const char* name, long long value) {
        Name(name);
        Number(value);
    }

private:
    // Where the next value goes: after its name, or on a line of its own in
    // an array.
    void BeforeValue();
    void Open(char bracket);
    void Close(char bracket);
    void NewLine(size_t depth);

    std::string* m_pOut;
    std::vector<size_t> m_counts;  // values so far at each open level
    bool m_afterName = false;
};

// The text as a JSON string's content: UTF-8, with quotation marks,
// backslashes and control characters escaped; an unpaired surrogate becomes
// U+FFFD.
void AppendJsonStringContent(std::string* pOut, const std::wstring& text);
