// Dialog template header and centring (see dialog_layout.h).
#include "framework/dialog_layout.h"

namespace {
constexpr uint32_t kDsAbsAlign = 0x01;
constexpr uint32_t kDsCenter = 0x0800;
constexpr uint32_t kDsCenterMouse = 0x1000;
constexpr uint32_t kWsChild = 0x40000000;

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}
int16_t ReadS16(const uint8_t* p) { return static_cast<int16_t>(ReadU16(p)); }
} // namespace

BOOL AfxReadDialogTemplateHeader(const uint8_t* pData, size_t nLength, AfxDialogTemplateHeader* pHeader) {
    // Extended: dlgVer 1, signature 0xFFFF, helpID, exStyle, style, cDlgItems, x, y, cx, cy.
    if (nLength >= 4 && ReadU16(pData) == 1 && ReadU16(pData + 2) == 0xFFFF) {
        if (nLength < 26)
            return FALSE;
        pHeader->bExtended = true;
        pHeader->dwExStyle = ReadU32(pData + 8);
        pHeader->dwStyle = ReadU32(pData + 12);
        pHeader->nStyleOffset = 12;
        pData += 18;
    } else {
        // Plain: style, dwExtendedStyle, cdit, x, y, cx, cy.
        if (nLength < 18)
            return FALSE;
        pHeader->bExtended = false;
        pHeader->dwStyle = ReadU32(pData);
        pHeader->dwExStyle = ReadU32(pData + 4);
        pHeader->nStyleOffset = 0;
        pData += 10;
    }
    pHeader->x = ReadS16(pData);
    pHeader->y = ReadS16(pData + 2);
    pHeader->cx = ReadS16(pData + 4);
    pHeader->cy = ReadS16(pData + 6);
    return TRUE;
}

BOOL AfxTemplateWantsCentring(const AfxDialogTemplateHeader& header) {
    if (header.x != 0 || header.y != 0)
        return FALSE;
    return (header.dwStyle & (kDsAbsAlign | kDsCenter | kDsCenterMouse | kWsChild)) == 0;
}

AfxPoint AfxCentredOrigin(const AfxRect& rcWindow, const AfxRect* pOwner, const AfxRect& rcWork) {
    const AfxRect& rcCentre = pOwner ? *pOwner : rcWork;
    int32_t cx = rcWindow.right - rcWindow.left;
    int32_t cy = rcWindow.bottom - rcWindow.top;
    AfxPoint pt = {(rcCentre.left + rcCentre.right - cx) / 2, (rcCentre.top + rcCentre.bottom - cy) / 2};
    // Keep it on the work area: right and bottom edges first, so that the top-left
    // corner wins when the window is larger than the area.
    if (pt.x + cx > rcWork.right)
        pt.x = rcWork.right - cx;
    if (pt.y + cy > rcWork.bottom)
        pt.y = rcWork.bottom - cy;
    if (pt.x < rcWork.left)
        pt.x = rcWork.left;
    if (pt.y < rcWork.top)
        pt.y = rcWork.top;
    return pt;
}
