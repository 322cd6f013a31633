#include "ui/ConflictQuestion.h"

#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "res/resource.h"

namespace {

// The box's own buttons get the choices' names as it is activated; the box
// stays the platform's, so the keyboard, Esc and screen readers work as in
// any message box.

LRESULT CALLBACK RelabelButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        const HWND hBox = reinterpret_cast<HWND>(wParam);
        if (::GetDlgItem(hBox, IDYES) != nullptr && ::GetDlgItem(hBox, IDNO) != nullptr) {
            ::SetDlgItemTextW(hBox, IDYES, AfxLoadString(IDS_CONFLICT_KEEP_BOTH).c_str());
            ::SetDlgItemTextW(hBox, IDNO, AfxLoadString(IDS_CONFLICT_SKIP).c_str());
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::wstring ListedPathsText(const std::wstring& head, const std::wstring& more,
                             const std::vector<std::wstring>& paths) {
    std::wstring text = FillCounts(head, {paths.size()}) + L"\n";
    for (size_t i = 0; i < paths.size() && i < kListedPaths; ++i) text += L"\n" + paths[i];
    if (paths.size() > kListedPaths) text += L"\n" + FillCounts(more, {paths.size() - kListedPaths});
    return text;
}

ConflictChoice AskForConflictChoice(const std::vector<std::wstring>& inTheWay, bool* pCancelled) {
    const std::wstring text = ListedPathsText(AfxLoadString(IDS_CONFLICT_QUESTION),
                                              AfxLoadString(IDS_WALK_MORE_FAILED), inTheWay) +
                              L"\n\n" + AfxLoadString(IDS_CONFLICT_CHOICES);
    int answer = IDCANCEL;
    {
        CHook relabel(::SetWindowsHookExW(WH_CBT, &RelabelButtons, nullptr, ::GetCurrentThreadId()));
        answer = AfxMessageBox(text, MB_YESNOCANCEL | MB_ICONQUESTION);
    }
    *pCancelled = answer != IDYES && answer != IDNO;
    return answer == IDYES ? ConflictChoice::KeepBoth : ConflictChoice::Skip;
}
