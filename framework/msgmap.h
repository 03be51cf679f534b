// Message maps: how a window or the application object finds the member function for
// a message or a command.
//
// Each class that handles messages declares DECLARE_MESSAGE_MAP() and lists its entries
// between BEGIN_MESSAGE_MAP(theClass, baseClass) and END_MESSAGE_MAP(). A lookup
// searches the object's own class first, then its base class's map, and so on down the
// chain; the first matching entry wins. An entry holds a small calling function made
// for its member function, so the compiler checks every handler's signature and the
// search itself needs no Windows header; the window-message entries (ON_WM_PAINT and
// the like) are declared in framework.h.
#pragma once

#include <cstdint>

#include "framework/portable.h"

class CCmdTarget;

// Calls one handler with the message's parameters; returns the message's result.
typedef intptr_t (*AFX_PMSG)(CCmdTarget* pTarget, uintptr_t wParam, intptr_t lParam);

// The command message: entries with this message match on nID as well.
constexpr unsigned int AFX_WM_COMMAND = 0x0111;

struct AFX_MSGMAP_ENTRY {
    unsigned int nMessage; // window message; 0 with a null pfn ends a table
    unsigned int nID;      // command identifier (AFX_WM_COMMAND entries), else 0
    AFX_PMSG pfn;
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)(); // null at the root of the chain
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// The entry for nMessage (and, for commands, nID) in pMap or its bases; null if none.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, unsigned int nMessage, unsigned int nID);

// Base of every class with a message map: windows and the application object.
class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler for command nID if this object's map chain has one.
    virtual BOOL OnCmdMsg(unsigned int nID);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// The class a member function pointer belongs to.
template <class F> struct AfxMemberOf;
template <class C, class R, class... A> struct AfxMemberOf<R (C::*)(A...)> {
    typedef C Class;
};

// Calling functions for the handler signatures the maps use.
template <auto F> intptr_t AfxCallVoid(CCmdTarget* p, uintptr_t, intptr_t) { // void f()
    (static_cast<typename AfxMemberOf<decltype(F)>::Class*>(p)->*F)();
    return 0;
}
template <auto F> intptr_t AfxCallHandle(CCmdTarget* p, uintptr_t, intptr_t) { // HANDLE f()
    return reinterpret_cast<intptr_t>((static_cast<typename AfxMemberOf<decltype(F)>::Class*>(p)->*F)());
}
template <auto F> intptr_t AfxCallBoolUint(CCmdTarget* p, uintptr_t w, intptr_t l) { // void f(BOOL, UINT)
    (static_cast<typename AfxMemberOf<decltype(F)>::Class*>(p)->*F)(static_cast<BOOL>(w), static_cast<unsigned>(l));
    return 0;
}
template <auto F> intptr_t AfxCallMessage(CCmdTarget* p, uintptr_t w, intptr_t l) { // LRESULT f(WPARAM, LPARAM)
    return static_cast<intptr_t>((static_cast<typename AfxMemberOf<decltype(F)>::Class*>(p)->*F)(w, l));
}

#define DECLARE_MESSAGE_MAP()                                                                                          \
protected:                                                                                                             \
    static const AFX_MSGMAP* GetThisMessageMap();                                                                      \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }                                  \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                                                  \
        typedef theClass ThisClass;                                                                                    \
        typedef baseClass TheBaseClass;                                                                                \
        static_assert(sizeof(ThisClass) > 0, "");                                                                      \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                                              \
    {0, 0, nullptr}                                                                                                    \
    }                                                                                                                  \
    ;                                                                                                                  \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};                      \
    return &messageMap;                                                                                                \
    }

// Command id to a member void f() of this class or a base: ON_COMMAND(ID_HELP, &CWinApp::OnHelp).
#define ON_COMMAND(id, memberFxn) {AFX_WM_COMMAND, static_cast<unsigned int>(id), &AfxCallVoid<memberFxn>},
