#include "ui/RowsText.h"

namespace {

void AppendLine(const std::vector<std::wstring>& cells, std::wstring* pText) {
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i != 0) *pText += L'\t';
        for (const wchar_t c : cells[i])
            *pText += (c == L'\t' || c == L'\r' || c == L'\n') ? L' ' : c;
    }
    *pText += L"\r\n";
}

}  // namespace

std::wstring RowsAsText(const std::vector<std::wstring>& headings,
                        const std::vector<std::vector<std::wstring>>& rows) {
    std::wstring text;
    AppendLine(headings, &text);
    for (const std::vector<std::wstring>& row : rows) AppendLine(row, &text);
    return text;
}
