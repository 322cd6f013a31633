#pragma once

#include <vector>

#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "ui/ResizeLayout.h"

// One control's anchors, as a dialog lists its controls in a table that its
// set-up hands to AddControls.
struct ResizeAnchor {
    int nID;
    int nHorzMode;
    int nVertMode;
};

// A dialog built from a fixed-size template that can be resized: registered
// controls keep their anchors, the window never gets smaller than it started,
// and a size grip sits in the bottom-right corner.
class CResizingDialog : public CDialog {
public:
    CResizingDialog(UINT nIDTemplate, CWnd* pParent);
    ~CResizingDialog() override;

    // Horizontal modes: 0 fixed, 1 stretch, 2 move, 3 proportional position.
    // Vertical modes: 0 fixed, 1 stretch, 2 move, 3 proportional position in a
    // band, 4 proportional edges in a band. The band starts at client y
    // nBandStart and spans the window height less nBandReserve; callers pass 0
    // for both with the other modes. nID must name a child of the dialog.
    void AddControl(int nID, int nHorzMode, int nVertMode, bool bExcludeFromErase, int nBandStart,
                    int nBandReserve);
    // AddControl for each control of the table, in its order; none is
    // excluded from the erase, and none lies in a band.
    template <size_t N>
    void AddControls(const ResizeAnchor (&anchors)[N]) {
        for (const ResizeAnchor& anchor : anchors)
            AddControl(anchor.nID, anchor.nHorzMode, anchor.nVertMode, false, 0, 0);
    }
    // Whether the window may grow beyond its starting width and height; read
    // at the next size-limit query.
    void AllowResize(int horizontal, int vertical);

    DECLARE_MESSAGE_MAP()

protected:
    // Records the starting size and adds the grip; a derived dialog calls it
    // before it registers its own controls.
    BOOL OnInitDialog() override;
    void OnSize(UINT nType, int cx, int cy);
    void OnGetMinMaxInfo(MINMAXINFO* pInfo);
    BOOL OnEraseBkgnd(HDC hDC);

    std::vector<ResizeItem> m_Items;
    RECT m_rcReference = {};
    int m_nInitialWidth = 0;
    int m_nInitialHeight = 0;
    int m_bAllowHorz = 1;
    int m_bAllowVert = 1;
    CGdiObject m_bmpGrip;
    CWnd m_wndGrip;
    bool m_bLayoutActive = false;
};
