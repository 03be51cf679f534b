// Message maps: a class's own entries first, then its base's down the chain; commands
// matched by identifier; an empty map chained to its base; handlers called with the
// message's parameters and their results passed back.
#include <gtest/gtest.h>

#include <string>

#include "framework/msgmap.h"

namespace {

constexpr unsigned kPaint = 0x000F;
constexpr unsigned kShow = 0x0018;
constexpr unsigned kIdOk = 1, kIdCancel = 2, kIdHelp = 0xE146;

// Stands in for a dialog base: OK and Cancel, and a paint handler of its own.
class BaseTarget : public CCmdTarget {
public:
    std::string log;
    virtual void OnOK() { log += "base-ok "; }
    void OnCancel() { log += "base-cancel "; }
    void OnPaint() { log += "base-paint "; }
    intptr_t Dispatch(unsigned message, uintptr_t w = 0, intptr_t l = 0) {
        const AFX_MSGMAP_ENTRY* e = AfxFindMessageEntry(GetMessageMap(), message, 0);
        return e ? e->pfn(this, w, l) : -1;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(BaseTarget, CCmdTarget)
ON_COMMAND(kIdOk, &BaseTarget::OnOK)
ON_COMMAND(kIdCancel, &BaseTarget::OnCancel)
{kPaint, 0, &AfxCallVoid<&ThisClass::OnPaint>},
END_MESSAGE_MAP()

// Stands in for a dialog of the program: its own paint and show handlers, OK overridden.
class DerivedTarget : public BaseTarget {
public:
    void OnOK() override { log += "derived-ok "; }
    void OnPaint() { log += "derived-paint "; }
    void OnShowWindow(BOOL bShow, unsigned nStatus) { log += "show " + std::to_string(bShow) + "," + std::to_string(nStatus) + " "; }
    void* OnQueryDragIcon() { return &log; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(DerivedTarget, BaseTarget)
{kPaint, 0, &AfxCallVoid<&ThisClass::OnPaint>},
{0x0037, 0, &AfxCallHandle<&ThisClass::OnQueryDragIcon>},
{kShow, 0, &AfxCallBoolUint<&ThisClass::OnShowWindow>},
END_MESSAGE_MAP()

// A class with an empty map: everything comes from its base.
class EmptyMapTarget : public BaseTarget {
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(EmptyMapTarget, BaseTarget)
END_MESSAGE_MAP()

// Stands in for the application object: the help command to a base-class handler.
class AppBase : public CCmdTarget {
public:
    std::string log;
    void OnHelp() { log += "help "; }
};
class AppTarget : public AppBase {
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(AppTarget, AppBase)
ON_COMMAND(kIdHelp, &AppBase::OnHelp)
END_MESSAGE_MAP()

TEST(MessageMap, CommandsRouteThroughTheChain) {
    struct Row {
        const char* name;
        unsigned id;
        BOOL handledByDerived, handledByEmpty;
        const char* derivedLog;
        const char* emptyLog;
    } const rows[] = {
        {"IDOK reaches the override through the base entry", kIdOk, TRUE, TRUE, "derived-ok ", "base-ok "},
        {"IDCANCEL from the base", kIdCancel, TRUE, TRUE, "base-cancel ", "base-cancel "},
        {"help is not a dialog command", kIdHelp, FALSE, FALSE, "", ""},
        {"unknown command", 1234, FALSE, FALSE, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        DerivedTarget derived;
        EmptyMapTarget empty;
        EXPECT_EQ(derived.OnCmdMsg(row.id), row.handledByDerived);
        EXPECT_EQ(empty.OnCmdMsg(row.id), row.handledByEmpty);
        EXPECT_EQ(derived.log, row.derivedLog);
        EXPECT_EQ(empty.log, row.emptyLog);
    }
}

TEST(MessageMap, OwnEntriesBeforeTheBase) {
    DerivedTarget derived;
    EmptyMapTarget empty;
    EXPECT_EQ(derived.Dispatch(kPaint), 0);
    EXPECT_EQ(empty.Dispatch(kPaint), 0);
    EXPECT_EQ(derived.log, "derived-paint ");
    EXPECT_EQ(empty.log, "base-paint ");
    EXPECT_EQ(empty.Dispatch(kShow), -1); // the base has no show entry
}

TEST(MessageMap, HandlersGetTheParametersAndReturnTheirResult) {
    DerivedTarget derived;
    EXPECT_EQ(derived.Dispatch(kShow, 1, 3), 0);
    EXPECT_EQ(derived.Dispatch(kShow, 0, 0), 0);
    EXPECT_EQ(derived.log, "show 1,3 show 0,0 ");
    EXPECT_EQ(derived.Dispatch(0x0037), reinterpret_cast<intptr_t>(&derived.log));
}

TEST(MessageMap, ApplicationRoutesHelpToTheBaseHandler) {
    AppTarget app;
    EXPECT_TRUE(app.OnCmdMsg(kIdHelp));
    EXPECT_FALSE(app.OnCmdMsg(kIdOk));
    EXPECT_EQ(app.log, "help ");
}

} // namespace
