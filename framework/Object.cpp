#include "Object.h"

#include <cstring>

CObject* CRuntimeClass::CreateObject() const
{
    return m_pfnCreateObject ? m_pfnCreateObject() : nullptr;
}

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    for (const CRuntimeClass* p = this; p; p = p->m_pfnGetBaseClass ? p->m_pfnGetBaseClass() : nullptr)
    {
        if (p == pBaseClass)
            return true;
    }
    return false;
}

const CRuntimeClass* CObject::GetThisClass()
{
    static const CRuntimeClass runtimeClass = {"CObject", nullptr, nullptr};
    return &runtimeClass;
}

const CRuntimeClass* CObject::GetRuntimeClass() const
{
    return GetThisClass();
}

bool CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}
