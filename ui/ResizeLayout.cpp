#include "ui/ResizeLayout.h"

#include <climits>
#include <cmath>
#include <limits>

namespace {

// Positions are quotients of window-sized integers, so a true value that is
// not whole lies at least about 1/width away from the nearest whole number.
// Anything far closer is that whole number missed by rounding, e.g. 99.99999
// for 100; truncating it would put a control one pixel off its registered
// place at the very size it was registered at.
constexpr double kRoundingSlack = 1e-7;

// Truncates toward zero. Out-of-range values would be undefined behaviour in
// a plain conversion; they are pinned to the ends of the range instead.
int TruncateToInt(double value) {
    if (std::isnan(value)) return 0;
    const double nearest = std::round(value);
    if (std::fabs(value - nearest) < kRoundingSlack) value = nearest;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(value);
}

int AddClamped(int value, long long delta) {
    const long long sum = static_cast<long long>(value) + delta;
    if (sum < INT_MIN) return INT_MIN;
    if (sum > INT_MAX) return INT_MAX;
    return static_cast<int>(sum);
}

// The distance from the start of an extent of length dLength at which an edge
// with ratio dRatio lands. False when the ratio carries no position.
bool ProportionalOffset(double dRatio, double dLength, double* pOffset) {
    if (std::isnan(dRatio) || dRatio == -1.0) return false;
    if (std::isinf(dRatio)) {
        *pOffset = dLength;
    } else {
        *pOffset = dLength * dRatio / (dRatio + 1);
    }
    return true;
}

// The position of a band edge, or nFallback when the ratio carries none. The
// band start is added before the truncation.
int BandEdge(const ResizeItem& item, double dRatio, int nWindowHeight, int nFallback) {
    const double dLength = static_cast<double>(nWindowHeight) - item.nBandReserve;
    double dOffset = 0;
    if (!ProportionalOffset(dRatio, dLength, &dOffset)) return nFallback;
    return TruncateToInt(item.nBandStart + dOffset);
}

// The modes that follow the window's change along an axis, the same on both
// axes: a stretched control's far edge moves with it, a moved control's two
// edges do. The proportional modes are placed by the caller.
void ShiftEdges(int nMode, int nDelta, LONG& nStart, LONG& nEnd) {
    if (nMode == kResizeMove) nStart = AddClamped(nStart, nDelta);
    if (nMode == kResizeStretch || nMode == kResizeMove) nEnd = AddClamped(nEnd, nDelta);
}

}  // namespace

double ProportionalRatio(double dOffset, double dExtent) {
    const double dRest = dExtent - dOffset;
    if (dRest == 0) {
        if (dOffset == 0) return 0;
        return dOffset > 0 ? std::numeric_limits<double>::infinity()
                           : -std::numeric_limits<double>::infinity();
    }
    return dOffset / dRest;
}

ResizeItem MakeResizeItem(int nID, int nHorzMode, int nVertMode, const RECT& rc,
                          bool bExcludeFromErase, int nBandStart, int nBandReserve,
                          int nReferenceWidth, int nReferenceHeight) {
    ResizeItem item = {};
    item.nID = nID;
    item.nHorzMode = nHorzMode;
    item.nVertMode = nVertMode;
    item.rc = rc;
    item.bExcludeFromErase = bExcludeFromErase;
    if (nHorzMode == kResizeProportional)
        item.dHorzRatio = ProportionalRatio(rc.left, nReferenceWidth);
    if (nVertMode == kResizeProportional || nVertMode == kResizeProportionalEdges) {
        item.nBandStart = nBandStart;
        item.nBandReserve = nBandReserve;
        const double dBand = static_cast<double>(nReferenceHeight) - nBandReserve;
        item.dTopRatio = ProportionalRatio(static_cast<double>(rc.top) - nBandStart, dBand);
        item.dBottomRatio = ProportionalRatio(static_cast<double>(rc.bottom) - nBandStart, dBand);
    }
    return item;
}

RECT LayoutResizeItem(const ResizeItem& item, const ResizeChange& change) {
    RECT rc = item.rc;
    const long long width = static_cast<long long>(item.rc.right) - item.rc.left;
    const long long height = static_cast<long long>(item.rc.bottom) - item.rc.top;

    ShiftEdges(item.nHorzMode, change.nDeltaWidth, rc.left, rc.right);
    ShiftEdges(item.nVertMode, change.nDeltaHeight, rc.top, rc.bottom);

    double dOffset = 0;
    if (item.nHorzMode == kResizeProportional &&
        ProportionalOffset(item.dHorzRatio, change.nWidth, &dOffset)) {
        rc.left = TruncateToInt(dOffset);
        rc.right = AddClamped(rc.left, width);
    }
    if (item.nVertMode == kResizeProportional || item.nVertMode == kResizeProportionalEdges) {
        rc.top = BandEdge(item, item.dTopRatio, change.nHeight, item.rc.top);
        rc.bottom = item.nVertMode == kResizeProportional
                        ? AddClamped(rc.top, height)
                        : BandEdge(item, item.dBottomRatio, change.nHeight, item.rc.bottom);
    }
    return rc;
}
