#pragma once

#include "res/resource.h"
#include "ui/ItemProperties.h"
#include "ui/ResizingDialog.h"

// The properties of one quarantine file, read-only: the list's texts and
// every file it would bring back. Each value is a read-only edit box, so that
// the keyboard reaches it, a screen reader reads it with its label, and a
// long path can be scrolled and copied.
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

private:
    ItemProperties m_item;
};
