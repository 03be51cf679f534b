// Where the framework puts a dialog: reading a template's header and centring.
//
// Plain values in, plain values out: the Win32 dialog code hands in the template's
// bytes and the rectangles it measured and moves the window to the point returned.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/portable.h"

// The header fields of a dialog template, plain (DLGTEMPLATE) or extended (DLGTEMPLATEEX).
struct AfxDialogTemplateHeader {
    bool bExtended;
    uint32_t dwStyle;
    uint32_t dwExStyle;
    size_t nStyleOffset; // where the style lies in the template's bytes
    int16_t x, y, cx, cy;
};

// Reads the header of the template in pData[0..nLength); FALSE if it is too short.
BOOL AfxReadDialogTemplateHeader(const uint8_t* pData, size_t nLength, AfxDialogTemplateHeader* pHeader);

// A dialog is centred when its template lies at 0, 0 and asks for no placement of its own:
// none of DS_ABSALIGN, DS_CENTER, DS_CENTERMOUSE, and not a child window.
BOOL AfxTemplateWantsCentring(const AfxDialogTemplateHeader& header);

struct AfxRect {
    int32_t left, top, right, bottom;
};
struct AfxPoint {
    int32_t x, y;
};

// Top-left corner that centres rcWindow over pOwner (null: over rcWork), kept inside
// rcWork where it fits; a window larger than rcWork keeps its top-left corner visible.
AfxPoint AfxCentredOrigin(const AfxRect& rcWindow, const AfxRect* pOwner, const AfxRect& rcWork);
