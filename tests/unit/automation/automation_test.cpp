// The COM layer inside one process: interface maps and reference counts of
// automation objects, the member-less IDispatch, the running-object registration
// of CAppMon, and the class factory's CreateInstance and registry entries.
#include "AppMonIds.h"
#include "CAppMon.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// {5C0C61A8-4E0B-4D71-9C52-1B7E0D3A2F11}: a class used by these tests only.
constexpr CLSID CLSID_CountedTarget = {
    0x5C0C61A8, 0x4E0B, 0x4D71, {0x9C, 0x52, 0x1B, 0x7E, 0x0D, 0x3A, 0x2F, 0x11}};

// An automation object that counts its live instances.
class CCountedTarget : public CCmdTarget
{
    DECLARE_DYNCREATE(CCountedTarget)

public:
    static int s_nLive;
    CCountedTarget()
    {
        EnableAutomation();
        ++s_nLive;
    }
    ~CCountedTarget() override { --s_nLive; }
};
int CCountedTarget::s_nLive = 0;
IMPLEMENT_DYNCREATE(CCountedTarget, CCmdTarget)

// A factory that exposes its IClassFactory to the test.
class CTestFactory : public COleObjectFactory
{
public:
    CTestFactory(REFCLSID clsid, const CRuntimeClass* pClass)
        : COleObjectFactory(clsid, pClass, FALSE, "Tessaly.Test.Counted")
    {
    }
    IClassFactory* ClassFactory() { return static_cast<IClassFactory*>(GetInterface(IID_IClassFactory)); }
};

class ComApartment : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

// The current count, read through an AddRef/Release pair.
ULONG RefCount(CCmdTarget& target)
{
    target.ExternalAddRef();
    return target.ExternalRelease();
}

std::string ReadDefaultValue(const std::string& strSubKey)
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, strSubKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return "<no key>";
    char szValue[1024] = "";
    DWORD cbValue = sizeof szValue - 1;
    DWORD dwType = 0;
    const LSTATUS status =
        RegQueryValueExA(hKey, nullptr, nullptr, &dwType, reinterpret_cast<BYTE*>(szValue), &cbValue);
    RegCloseKey(hKey);
    if (status != ERROR_SUCCESS || dwType != REG_SZ)
        return "<no value>";
    return szValue;
}

// Names of the subkeys and the number of values of HKCR\strSubKey.
std::vector<std::string> SubKeys(const std::string& strSubKey, DWORD* pnValues)
{
    std::vector<std::string> names;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, strSubKey.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return names;
    char szName[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD cchName = sizeof szName;
        if (RegEnumKeyExA(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(szName);
    }
    RegQueryInfoKeyA(hKey, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, pnValues, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(hKey);
    return names;
}

} // namespace

TEST(AppMonObject, AnswersItsThreeInterfacesWithOneIdentityAndNothingElse)
{
    CAppMon* pAppMon = new CAppMon;
    ASSERT_EQ(1u, RefCount(*pAppMon));

    LPUNKNOWN pUnknown = nullptr;
    LPDISPATCH pDispatch = nullptr;
    LPDISPATCH pAppMonItf = nullptr;
    ASSERT_EQ(S_OK, pAppMon->ExternalQueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnknown)));
    ASSERT_EQ(S_OK, pUnknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&pDispatch)));
    ASSERT_EQ(S_OK, pDispatch->QueryInterface(IID_IAppMon, reinterpret_cast<void**>(&pAppMonItf)));
    EXPECT_EQ(4u, RefCount(*pAppMon));
    EXPECT_EQ(static_cast<LPUNKNOWN>(pDispatch), pUnknown);
    EXPECT_EQ(pDispatch, pAppMonItf);
    EXPECT_EQ(pDispatch, pAppMon->GetIDispatch(FALSE));

    const IID* const refused[] = {&IID_IClassFactory, &IID_IPersist, &IID_IMarshal, &CLSID_AppMon};
    for (const IID* piid : refused)
    {
        void* pv = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, pAppMonItf->QueryInterface(*piid, &pv));
        EXPECT_EQ(nullptr, pv);
    }
    EXPECT_EQ(E_POINTER, pUnknown->QueryInterface(IID_IUnknown, nullptr));

    EXPECT_EQ(3u, pAppMonItf->Release());
    EXPECT_EQ(2u, pDispatch->Release());
    EXPECT_EQ(1u, pUnknown->Release());
    delete pAppMon;
}

TEST(AppMonObject, DispatchHasNoTypeInformationNamesOrMembers)
{
    CAppMon appMon;
    LPDISPATCH pDispatch = appMon.GetIDispatch(FALSE);
    UINT nCount = 7;
    EXPECT_EQ(S_OK, pDispatch->GetTypeInfoCount(&nCount));
    EXPECT_EQ(0u, nCount);
    ITypeInfo* pTypeInfo = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_TRUE(FAILED(pDispatch->GetTypeInfo(0, 0, &pTypeInfo)));
    EXPECT_EQ(nullptr, pTypeInfo);

    OLECHAR szName1[] = L"Visible";
    OLECHAR szName2[] = L"Quit";
    LPOLESTR names[] = {szName1, szName2};
    DISPID ids[2] = {1, 2};
    EXPECT_EQ(DISP_E_UNKNOWNNAME, pDispatch->GetIDsOfNames(IID_NULL, names, 2, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(DISPID_UNKNOWN, ids[0]);
    EXPECT_EQ(DISPID_UNKNOWN, ids[1]);

    DISPPARAMS params = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, pDispatch->Invoke(0, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                       &params, nullptr, nullptr, nullptr));
    EXPECT_EQ(1u, RefCount(appMon));
}

TEST(CmdTargetLifetime, LastReleaseDeletesAndPlainTargetsOfferNoInterfaces)
{
    CCountedTarget::s_nLive = 0;
    CCountedTarget* pTarget = new CCountedTarget;
    LPDISPATCH pDispatch = pTarget->GetIDispatch(TRUE);
    EXPECT_EQ(1u, pTarget->ExternalRelease());
    EXPECT_EQ(1, CCountedTarget::s_nLive);
    EXPECT_EQ(0u, pDispatch->Release());
    EXPECT_EQ(0, CCountedTarget::s_nLive);

    // Without EnableAutomation a command target is no COM object at all.
    CCmdTarget plain;
    void* pv = nullptr;
    EXPECT_EQ(nullptr, plain.GetIDispatch(TRUE));
    EXPECT_EQ(E_NOINTERFACE, plain.ExternalQueryInterface(IID_IUnknown, &pv));
    EXPECT_EQ(E_NOINTERFACE, plain.ExternalQueryInterface(IID_IDispatch, &pv));
}

TEST(ClassFactory, CreatesObjectsThroughTheRuntimeClassAndFreesThemOnFailure)
{
    CCountedTarget::s_nLive = 0;
    CTestFactory factory(CLSID_CountedTarget, RUNTIME_CLASS(CCountedTarget));
    IClassFactory* pClassFactory = factory.ClassFactory();
    ASSERT_NE(nullptr, pClassFactory);

    LPDISPATCH pDispatch = nullptr;
    ASSERT_EQ(S_OK,
              pClassFactory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&pDispatch)));
    EXPECT_EQ(1, CCountedTarget::s_nLive);
    EXPECT_EQ(0u, pDispatch->Release());
    EXPECT_EQ(0, CCountedTarget::s_nLive);

    void* pv = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, pClassFactory->CreateInstance(nullptr, IID_IClassFactory, &pv));
    EXPECT_EQ(nullptr, pv);
    EXPECT_EQ(0, CCountedTarget::s_nLive);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, pClassFactory->CreateInstance(pDispatch, IID_IUnknown, &pv));
    EXPECT_EQ(0, CCountedTarget::s_nLive);

    // A class that cannot be created dynamically gives no object.
    CTestFactory noCreate(CLSID_CountedTarget, RUNTIME_CLASS(CCmdTarget));
    EXPECT_TRUE(FAILED(noCreate.ClassFactory()->CreateInstance(nullptr, IID_IUnknown, &pv)));

    // The factory's own identity: IUnknown and IClassFactory are one object.
    LPUNKNOWN pUnknown = nullptr;
    ASSERT_EQ(S_OK, pClassFactory->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&pUnknown)));
    EXPECT_EQ(static_cast<LPUNKNOWN>(pClassFactory), pUnknown);
    pUnknown->Release();
    EXPECT_EQ(E_NOINTERFACE, pClassFactory->QueryInterface(IID_IDispatch, &pv));

    LPUNKNOWN pAppMon = nullptr;
    IClassFactory* pAppMonFactory =
        static_cast<IClassFactory*>(CAppMon::factory.GetInterface(IID_IClassFactory));
    ASSERT_EQ(S_OK, pAppMonFactory->CreateInstance(nullptr, IID_IAppMon, reinterpret_cast<void**>(&pAppMon)));
    EXPECT_EQ(0u, pAppMon->Release());
}

TEST_F(ComApartment, RunningObjectRegistrationComesAndGoesWithTheObject)
{
    CAppMon* pAppMon = new CAppMon;
    IUnknown* pFound = nullptr;
    ASSERT_EQ(MK_E_UNAVAILABLE, GetActiveObject(CLSID_AppMon, nullptr, &pFound));

    ASSERT_TRUE(pAppMon->RegisterAsActiveObject());
    EXPECT_NE(0u, pAppMon->m_dwRegister);
    EXPECT_GT(RefCount(*pAppMon), 1u) << "a strong registration keeps the object alive";
    ASSERT_EQ(S_OK, GetActiveObject(CLSID_AppMon, nullptr, &pFound));
    EXPECT_EQ(pAppMon->GetInterface(IID_IUnknown), pFound);
    pFound->Release();

    // A second object under the same class id counts as registered too.
    CAppMon* pSecond = new CAppMon;
    EXPECT_TRUE(pSecond->RegisterAsActiveObject());
    EXPECT_NE(0u, pSecond->m_dwRegister);
    pSecond->RevokeActiveObject();
    EXPECT_EQ(0u, pSecond->m_dwRegister);
    EXPECT_EQ(1u, RefCount(*pSecond));
    delete pSecond;

    pAppMon->RevokeActiveObject();
    EXPECT_EQ(1u, RefCount(*pAppMon)) << "the count is back at its start";
    EXPECT_EQ(MK_E_UNAVAILABLE, GetActiveObject(CLSID_AppMon, nullptr, &pFound));

    // Deleted while registered: the destructor withdraws the entry.
    ASSERT_TRUE(pAppMon->RegisterAsActiveObject());
    delete pAppMon;
    EXPECT_EQ(MK_E_UNAVAILABLE, GetActiveObject(CLSID_AppMon, nullptr, &pFound));
}

TEST(ClassRegistration, WritesExactlyTheLocalServerKeysAndRemovesThem)
{
    const std::string strClsid = "{E2156BC5-6423-46F8-8B16-B6B1D88558E5}";
    const std::string strClsidKey = "CLSID\\" + strClsid;
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, sizeof szPath);

    ASSERT_TRUE(COleObjectFactory::UpdateRegistryAll(TRUE));
    EXPECT_EQ("Tessaly.AppMon", ReadDefaultValue("Tessaly.AppMon"));
    EXPECT_EQ(strClsid, ReadDefaultValue("Tessaly.AppMon\\CLSID"));
    EXPECT_EQ("Tessaly.AppMon", ReadDefaultValue(strClsidKey));
    EXPECT_EQ("Tessaly.AppMon", ReadDefaultValue(strClsidKey + "\\ProgID"));
    EXPECT_EQ(std::string(szPath), ReadDefaultValue(strClsidKey + "\\LocalServer32"));

    DWORD nValues = 0;
    EXPECT_EQ(std::vector<std::string>{"CLSID"}, SubKeys("Tessaly.AppMon", &nValues));
    EXPECT_EQ(1u, nValues);
    EXPECT_EQ((std::vector<std::string>{"LocalServer32", "ProgID"}), SubKeys(strClsidKey, &nValues));
    EXPECT_EQ(1u, nValues);
    SubKeys(strClsidKey + "\\LocalServer32", &nValues);
    EXPECT_EQ(1u, nValues);

    ASSERT_TRUE(COleObjectFactory::UpdateRegistryAll(FALSE));
    EXPECT_EQ("<no key>", ReadDefaultValue(strClsidKey));
    EXPECT_EQ("<no key>", ReadDefaultValue("Tessaly.AppMon"));
    EXPECT_TRUE(COleObjectFactory::UpdateRegistryAll(FALSE)) << "removing what is gone is no failure";
}
