// Dialog templates: reading the header of both template forms, the rule for automatic
// centring, and where a centred dialog goes.
#include <gtest/gtest.h>

#include <vector>

#include "framework/dialog_layout.h"

namespace {

constexpr uint32_t kUpdateStyle = 0x90C800C0; // DS_MODALFRAME|DS_SETFONT|WS_POPUP|WS_VISIBLE|WS_CAPTION|WS_SYSMENU

void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    Put16(v, at, static_cast<uint16_t>(x));
    Put16(v, at + 2, static_cast<uint16_t>(x >> 16));
}

std::vector<uint8_t> Extended(uint32_t style, int16_t x, int16_t y) {
    std::vector<uint8_t> v(40, 0);
    Put16(v, 0, 1);
    Put16(v, 2, 0xFFFF);
    Put32(v, 8, 0x00040000); // WS_EX_APPWINDOW
    Put32(v, 12, style);
    Put16(v, 16, 8);
    Put16(v, 18, static_cast<uint16_t>(x));
    Put16(v, 20, static_cast<uint16_t>(y));
    Put16(v, 22, 320);
    Put16(v, 24, 61);
    return v;
}

std::vector<uint8_t> Plain(uint32_t style, int16_t x, int16_t y) {
    std::vector<uint8_t> v(30, 0);
    Put32(v, 0, style);
    Put16(v, 8, 4);
    Put16(v, 10, static_cast<uint16_t>(x));
    Put16(v, 12, static_cast<uint16_t>(y));
    Put16(v, 14, 334);
    Put16(v, 16, 66);
    return v;
}

TEST(DialogTemplate, HeaderOfBothForms) {
    AfxDialogTemplateHeader h;
    std::vector<uint8_t> ex = Extended(kUpdateStyle, 0, 0);
    ASSERT_TRUE(AfxReadDialogTemplateHeader(ex.data(), ex.size(), &h));
    EXPECT_TRUE(h.bExtended);
    EXPECT_EQ(h.dwStyle, kUpdateStyle);
    EXPECT_EQ(h.dwExStyle, 0x00040000u);
    EXPECT_EQ(h.nStyleOffset, 12u);
    EXPECT_EQ(h.cx, 320);
    EXPECT_EQ(h.cy, 61);

    std::vector<uint8_t> plain = Plain(0x80C800C0, -5, 7);
    ASSERT_TRUE(AfxReadDialogTemplateHeader(plain.data(), plain.size(), &h));
    EXPECT_FALSE(h.bExtended);
    EXPECT_EQ(h.dwStyle, 0x80C800C0u);
    EXPECT_EQ(h.nStyleOffset, 0u);
    EXPECT_EQ(h.x, -5);
    EXPECT_EQ(h.y, 7);
    EXPECT_EQ(h.cx, 334);

    EXPECT_FALSE(AfxReadDialogTemplateHeader(ex.data(), 25, &h));    // extended header cut short
    EXPECT_FALSE(AfxReadDialogTemplateHeader(plain.data(), 17, &h)); // plain header cut short
}

TEST(DialogTemplate, CentredOnlyAtZeroZeroWithoutPlacementStyles) {
    struct Row {
        const char* name;
        uint32_t style;
        int16_t x, y;
        BOOL centred;
    } const rows[] = {
        {"update dialog", kUpdateStyle, 0, 0, TRUE},
        {"placed at 10,0", kUpdateStyle, 10, 0, FALSE},
        {"placed at 0,5", kUpdateStyle, 0, 5, FALSE},
        {"DS_CENTER", kUpdateStyle | 0x0800, 0, 0, FALSE},
        {"DS_CENTERMOUSE", kUpdateStyle | 0x1000, 0, 0, FALSE},
        // 5
        {"DS_ABSALIGN", kUpdateStyle | 0x01, 0, 0, FALSE},
        {"child dialog", 0x50000000, 0, 0, FALSE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (bool extended : {true, false}) {
            std::vector<uint8_t> t = extended ? Extended(row.style, row.x, row.y) : Plain(row.style, row.x, row.y);
            AfxDialogTemplateHeader h;
            ASSERT_TRUE(AfxReadDialogTemplateHeader(t.data(), t.size(), &h));
            EXPECT_EQ(AfxTemplateWantsCentring(h), row.centred) << (extended ? "extended" : "plain");
        }
    }
}

TEST(DialogPlacement, CentredOverOwnerOrWorkAreaAndKeptOnIt) {
    const AfxRect screen = {0, 0, 1024, 768};
    struct Row {
        const char* name;
        AfxRect window;
        bool hasOwner;
        AfxRect owner;
        AfxRect work;
        AfxPoint expected;
    } const rows[] = {
        {"on the screen", {0, 0, 566, 124}, false, {}, screen, {229, 322}},
        {"odd leftover rounds down", {0, 0, 565, 123}, false, {}, screen, {229, 322}},
        {"work area with a task bar", {0, 0, 100, 100}, false, {}, {0, 0, 1024, 738}, {462, 319}},
        {"over the owner", {0, 0, 200, 100}, true, {229, 322, 795, 446}, screen, {412, 334}},
        {"owner near the right edge", {0, 0, 400, 100}, true, {900, 100, 1000, 200}, screen, {624, 100}},
        // 5
        {"owner near the top-left", {0, 0, 400, 300}, true, {-50, -20, 50, 20}, screen, {0, 0}},
        {"larger than the work area", {0, 0, 1200, 900}, false, {}, screen, {0, 0}},
        {"work area not at the origin", {0, 0, 100, 50}, false, {}, {100, 50, 300, 250}, {150, 125}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        AfxPoint pt = AfxCentredOrigin(row.window, row.hasOwner ? &row.owner : nullptr, row.work);
        EXPECT_EQ(pt.x, row.expected.x);
        EXPECT_EQ(pt.y, row.expected.y);
    }
}

} // namespace
