// Interface and dispatch maps of automation classes, in the same shape as the
// message maps of CmdTarget.h:
//
//     // header                               // source
//     class CMyObject : public CCmdTarget     BEGIN_DISPATCH_MAP(CMyObject, CCmdTarget)
//     {                                       END_DISPATCH_MAP()
//         ...
//         DECLARE_DISPATCH_MAP()              BEGIN_INTERFACE_MAP(CMyObject, CCmdTarget)
//         DECLARE_INTERFACE_MAP()                 INTERFACE_PART(CMyObject, IID_IMyObject, Dispatch)
//     };                                      END_INTERFACE_MAP()
//
// INTERFACE_PART maps an interface id to a member m_x<localClass> of the class,
// an object derived from the interface; "Dispatch" names the IDispatch that
// CCmdTarget implements, so a dispatch interface of the class's own maps to it.
// The dispatch map holds no entries: dispatch members are not supported.
#pragma once

#include "CmdTarget.h"

#define DECLARE_INTERFACE_MAP()                                                                              \
protected:                                                                                                   \
    static const CCmdTarget::AFX_INTERFACEMAP* GetThisInterfaceMap();                                        \
                                                                                                             \
public:                                                                                                      \
    const CCmdTarget::AFX_INTERFACEMAP* GetInterfaceMap() const override;                                    \
                                                                                                             \
protected:

#define BEGIN_INTERFACE_MAP(theClass, baseClass)                                                             \
    const CCmdTarget::AFX_INTERFACEMAP* theClass::GetInterfaceMap() const                                    \
    {                                                                                                        \
        return GetThisInterfaceMap();                                                                        \
    }                                                                                                        \
    const CCmdTarget::AFX_INTERFACEMAP* theClass::GetThisInterfaceMap()                                      \
    {                                                                                                        \
        typedef theClass ThisClass;                                                                          \
        typedef baseClass TheBaseClass;                                                                      \
        static_assert(sizeof(ThisClass) > 0, "complete class");                                              \
        static const CCmdTarget::AFX_INTERFACEMAP_ENTRY _interfaceEntries[] = {

#define INTERFACE_PART(theClass, iid, localClass)                                                            \
    {&(iid), [](CCmdTarget* p) -> LPUNKNOWN { return &static_cast<ThisClass*>(p)->m_x##localClass; }},

#define END_INTERFACE_MAP()                                                                                  \
    {                                                                                                        \
        nullptr, nullptr                                                                                     \
    }                                                                                                        \
    }                                                                                                        \
    ;                                                                                                        \
    static const CCmdTarget::AFX_INTERFACEMAP interfaceMap = {&TheBaseClass::GetThisInterfaceMap,            \
                                                              &_interfaceEntries[0]};                        \
    return &interfaceMap;                                                                                    \
    }

#define DECLARE_DISPATCH_MAP()                                                                               \
protected:                                                                                                   \
    static const CCmdTarget::AFX_DISPMAP* GetThisDispatchMap();                                              \
                                                                                                             \
public:                                                                                                      \
    const CCmdTarget::AFX_DISPMAP* GetDispatchMap() const override;                                          \
                                                                                                             \
protected:

#define BEGIN_DISPATCH_MAP(theClass, baseClass)                                                              \
    const CCmdTarget::AFX_DISPMAP* theClass::GetDispatchMap() const                                          \
    {                                                                                                        \
        return GetThisDispatchMap();                                                                         \
    }                                                                                                        \
    const CCmdTarget::AFX_DISPMAP* theClass::GetThisDispatchMap()                                            \
    {                                                                                                        \
        static const CCmdTarget::AFX_DISPMAP dispatchMap = {&baseClass::GetThisDispatchMap};

#define END_DISPATCH_MAP()                                                                                   \
    return &dispatchMap;                                                                                     \
    }
