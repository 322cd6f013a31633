#pragma once

#include "framework/Wnd.h"
#include "res/resource.h"
#include "ui/ItemProperties.h"
#include "ui/ResizingDialog.h"

// The properties of one quarantine file, read-only: the list's texts and
// every file it would bring back. Each single value is a read-only edit box,
// so that the keyboard reaches it, a screen reader reads it with its label,
// and a long value can be scrolled and copied. The files are a list of their
// names beside their folders, so that each name shows however long its
// folder is; a cell's whole text shows on hover, and Ctrl+C copies the
// selected paths whole.
class CItemPropertiesDlg : public CResizingDialog {
public:
    CItemPropertiesDlg(const ItemProperties& item, CWnd* pParent);

    static constexpr ResizeAnchor kControlAnchors[] = {
        {IDC_PROP_QUARANTINE_FILE, kResizeStretch, kResizeFixed},
        {IDC_PROP_VIRUS, kResizeStretch, kResizeFixed},
        {IDC_PROP_TIME, kResizeStretch, kResizeFixed},
        {IDC_PROP_FORMER_PATHS, kResizeStretch, kResizeStretch},
        {IDC_PROP_OTHER_LABEL, kResizeStretch, kResizeMove},
        {IDC_PROP_OTHER_OBJECTS, kResizeFixed, kResizeMove},
        {IDCANCEL, kResizeMove, kResizeMove},
    };

    DECLARE_MESSAGE_MAP()

protected:
    BOOL OnInitDialog() override;
    void OnPathsKeyDown(NMHDR* pNMHDR, LRESULT* pResult);

private:
    void FillPaths();

    ItemProperties m_item;
    CListCtrl m_lstPaths;
};
