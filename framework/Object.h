// CObject and CRuntimeClass: run-time class information and dynamic creation.
// A class that names its runtime class can be created by that description alone,
// which is how the COM class factory makes its objects.
#pragma once

#include <new>

class CObject;

struct CRuntimeClass
{
    const char* m_lpszClassName;
    CObject* (*m_pfnCreateObject)();             // null unless the class is dynamically creatable
    const CRuntimeClass* (*m_pfnGetBaseClass)(); // null for CObject

    // New object of this class, or null if the class cannot be created dynamically
    // or memory is exhausted.
    CObject* CreateObject() const;
    bool IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

class CObject
{
public:
    virtual ~CObject() = default;
    virtual const CRuntimeClass* GetRuntimeClass() const;
    bool IsKindOf(const CRuntimeClass* pClass) const;

    static const CRuntimeClass* GetThisClass();

protected:
    CObject() = default;
};

#define RUNTIME_CLASS(className) (className::GetThisClass())

#define DECLARE_DYNAMIC(className)                                                                           \
public:                                                                                                      \
    static const CRuntimeClass* GetThisClass();                                                              \
    const CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(className)                                                                         \
    DECLARE_DYNAMIC(className)                                                                               \
    static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS(className, baseClassName, pfnNew)                                         \
    const CRuntimeClass* className::GetThisClass()                                                           \
    {                                                                                                        \
        static const CRuntimeClass runtimeClass = {#className, pfnNew, &baseClassName::GetThisClass};        \
        return &runtimeClass;                                                                                \
    }                                                                                                        \
    const CRuntimeClass* className::GetRuntimeClass() const                                                  \
    {                                                                                                        \
        return GetThisClass();                                                                               \
    }

#define IMPLEMENT_DYNAMIC(className, baseClassName)                                                          \
    AFX_IMPLEMENT_RUNTIMECLASS(className, baseClassName, nullptr)

#define IMPLEMENT_DYNCREATE(className, baseClassName)                                                        \
    CObject* className::CreateObject()                                                                       \
    {                                                                                                        \
        return new (std::nothrow) className;                                                                 \
    }                                                                                                        \
    AFX_IMPLEMENT_RUNTIMECLASS(className, baseClassName, &className::CreateObject)
