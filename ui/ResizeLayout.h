#pragma once

#include <windows.h>

// Horizontal modes take 0 to 3, vertical modes 0 to 4; any other value leaves
// that axis alone.
enum ResizeMode {
    kResizeFixed = 0,
    kResizeStretch = 1,
    kResizeMove = 2,
    // Horizontally: the left edge keeps its share of the window width.
    // Vertically: the top edge keeps its share of a band.
    kResizeProportional = 3,
    // Vertically only: top and bottom edges both keep their share of a band.
    kResizeProportionalEdges = 4,
};

// One control that moves or stretches with the dialog.
struct ResizeItem {
    int nID;
    int nHorzMode;
    int nVertMode;
    // Client coordinates, as last computed by the layout; never read back
    // from the control, so that a window brought back to an earlier size
    // puts every control back exactly where it was.
    RECT rc;
    bool bExcludeFromErase;
    double dHorzRatio;
    double dTopRatio;
    double dBottomRatio;
    int nBandStart;
    int nBandReserve;
};

// The window's size change since the last layout pass, and its new size.
struct ResizeChange {
    int nDeltaWidth;
    int nDeltaHeight;
    int nWidth;
    int nHeight;
};

// How far into an extent an edge lies, as the ratio of the part before it to
// the part after it. An edge exactly at the end of a non-empty extent gives an
// infinite ratio, which the layout keeps at the end of the extent. An empty
// extent gives -1 (or 0 for an edge at its start), which the layout reads as
// "no share": the edge stays where it was registered.
double ProportionalRatio(double dOffset, double dExtent);

// The item for a control at rc, with the ratios of its proportional modes
// taken against the reference window size. The band values are kept only for
// the vertical modes that use them.
ResizeItem MakeResizeItem(int nID, int nHorzMode, int nVertMode, const RECT& rc,
                          bool bExcludeFromErase, int nBandStart, int nBandReserve,
                          int nReferenceWidth, int nReferenceHeight);

// The rectangle the item gets after the given change of the window.
RECT LayoutResizeItem(const ResizeItem& item, const ResizeChange& change);
