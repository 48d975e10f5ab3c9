// The library loaded as COM loads it: class objects, creation, aggregation, unloading.
#include "com/TVKVerimarkMod.h"
#include "text/ComResource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

class Server : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_.Reset(LoadLibraryW(VERIMARK_COM_DLL));
        ASSERT_TRUE(library_);
        getClassObject_ = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(library_.Get(), "DllGetClassObject")));
        canUnloadNow_ =
            reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(library_.Get(), "DllCanUnloadNow")));
        ASSERT_TRUE(getClassObject_ && canUnloadNow_);
        ASSERT_EQ(canUnloadNow_(), S_OK);
    }
    void TearDown() override
    {
        EXPECT_EQ(canUnloadNow_(), S_OK);  // nothing of a test is left holding the library
        library_.Reset();
    }
    UniqueInterface<IClassFactory> Factory(REFCLSID clsid)
    {
        UniqueInterface<IClassFactory> factory;
        EXPECT_EQ(getClassObject_(clsid, __uuidof(IClassFactory), factory.PutVoid()), S_OK);
        return factory;
    }

    UniqueModule library_;
    GetClassObject getClassObject_ = nullptr;
    CanUnloadNow canUnloadNow_ = nullptr;
};

TEST_F(Server, ClassObjectsForItsFourClassesOnly)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(IID_ISession, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    for (const CLSID* clsid : {&CLSID_Session, &CLSID_Progress, &CLSID_Response, &CLSID_Evaluation}) {
        {
            const auto first = Factory(*clsid), second = Factory(*clsid);
            ASSERT_TRUE(first);
            EXPECT_EQ(first.Get(), second.Get());
            UniqueInterface<IUnknown> unknown;
            EXPECT_EQ(getClassObject_(*clsid, __uuidof(IUnknown), unknown.PutVoid()), S_OK);
            EXPECT_EQ(static_cast<void*>(unknown.Get()), static_cast<void*>(first.Get()));
            EXPECT_EQ(getClassObject_(*clsid, IID_IDispatch, &object), E_NOINTERFACE);
            EXPECT_EQ(canUnloadNow_(), S_FALSE);  // a client holds the factory
        }
        EXPECT_EQ(canUnloadNow_(), S_OK);
    }
}

TEST_F(Server, LiveObjectsAndServerLocksKeepTheLibrary)
{
    UniqueInterface<ISession> session;
    ASSERT_EQ(Factory(CLSID_Session).Get()->CreateInstance(nullptr, __uuidof(ISession), session.PutVoid()),
              S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    session.Reset();
    EXPECT_EQ(canUnloadNow_(), S_OK);

    EXPECT_EQ(Factory(CLSID_Progress).Get()->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    EXPECT_EQ(Factory(CLSID_Progress).Get()->LockServer(FALSE), S_OK);
}

TEST_F(Server, QueryInterfaceAnswersExactlyThreeInterfaces)
{
    const auto factory = Factory(CLSID_Progress);
    {
        UniqueInterface<IProgress> progress;
        ASSERT_EQ(factory.Get()->CreateInstance(nullptr, __uuidof(IProgress), progress.PutVoid()), S_OK);
        UniqueInterface<IUnknown> unknown;
        UniqueInterface<IDispatch> dispatch;
        void* other = nullptr;
        EXPECT_EQ(progress.Query(unknown), S_OK);
        EXPECT_EQ(progress.Query(dispatch), S_OK);
        EXPECT_EQ(progress.Get()->QueryInterface(IID_ISupportErrorInfo, &other), E_NOINTERFACE);
        EXPECT_EQ(progress.Get()->QueryInterface(IID_ISession, &other), E_NOINTERFACE);
        EXPECT_EQ(other, nullptr);
        long value = -1;
        EXPECT_EQ(progress.Get()->get_GetPercent(&value), S_OK);
        EXPECT_EQ(value, 0);
        EXPECT_EQ(progress.Get()->get_GetError(&value), S_OK);
        EXPECT_EQ(value, 0);
        UINT count = 0;
        EXPECT_EQ(dispatch.Get()->GetTypeInfoCount(&count), S_OK);
        EXPECT_EQ(count, 1u);
        ITypeInfo* info = nullptr;
        EXPECT_EQ(dispatch.Get()->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    }
    void* wrong = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory.Get()->CreateInstance(nullptr, IID_IClassFactory, &wrong), E_NOINTERFACE);
    EXPECT_EQ(wrong, nullptr);
    EXPECT_EQ(factory.Get()->CreateInstance(nullptr, IID_IProgress, nullptr), E_POINTER);
}

// A minimal outer object: it keeps the inner unknown and counts its own references.
class Outer final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        return inner->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    IUnknown* inner = nullptr;
    ULONG references = 1;
};

TEST_F(Server, AggregationHandsOutTheInnerUnknownOnly)
{
    Outer outer;
    {
        const auto factory = Factory(CLSID_Response);
        void* object = reinterpret_cast<void*>(1);
        EXPECT_EQ(factory.Get()->CreateInstance(&outer, IID_IResponse, &object), CLASS_E_NOAGGREGATION);
        EXPECT_EQ(object, nullptr);
        ASSERT_EQ(factory.Get()->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    }
    {
        UniqueInterface<IResponse> response;
        ASSERT_EQ(outer.QueryInterface(__uuidof(IResponse), response.PutVoid()), S_OK);
        // The aggregated interface's IUnknown is the outer one.
        EXPECT_EQ(outer.references, 2u);
        UniqueInterface<IUnknown> identity;
        EXPECT_EQ(response.Query(identity), S_OK);
        EXPECT_EQ(identity.Get(), &outer);
    }
    EXPECT_EQ(outer.references, 1u);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    // The outer object's own last reference to the inner one: the count it returns is the point.
    EXPECT_EQ(outer.inner->Release(), 0u);
}

// A per-user registration of our library that names another file is never what a caller
// gets: the type information comes from the server's own file, registered or not.
TEST_F(Server, TypeInformationComesFromTheServersOwnFileNotFromTheRegistry)
{
    const std::wstring planted = L"Software\\Classes\\TypeLib\\{" VERIMARK_LIBID L"}";
    struct Removed {
        const std::wstring& key;
        ~Removed() { RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()); }
    } removed{planted};
    const std::wstring other = L"C:\\windows\\system32\\stdole2.tlb";
    for (const wchar_t* platform : {L"win32", L"win64", L"arm64"}) {
        const std::wstring key = planted + L"\\1.0\\0\\" + platform;
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, REG_SZ, other.c_str(),
                                  static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
    }
    const auto factory = Factory(CLSID_Progress);
    UniqueInterface<IDispatch> dispatch;
    ASSERT_EQ(factory.Get()->CreateInstance(nullptr, IID_IDispatch, dispatch.PutVoid()), S_OK);
    UniqueInterface<ITypeInfo> info;
    ASSERT_EQ(dispatch.Get()->GetTypeInfo(0, 0, info.Put()), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info.Get()->GetTypeAttr(&attributes), S_OK);
    EXPECT_TRUE(IsEqualIID(attributes->guid, IID_IProgress));
    info.Get()->ReleaseTypeAttr(attributes);
    UniqueInterface<ITypeLib> library;
    UINT index = 0;
    ASSERT_EQ(info.Get()->GetContainingTypeLib(library.Put(), &index), S_OK);
    UniqueBstr name;
    ASSERT_EQ(library.Get()->GetDocumentation(-1, name.Put(), nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(std::wstring(name.Get(), SysStringLen(name.Get())), L"TVKVERIMARKMODLib");
    for (LCID locale : {LCID{0}, LCID{0x409}, LCID{0x400}, LCID{0x407}}) {
        wchar_t member[] = L"GetPercent";
        LPOLESTR names[] = {member};
        DISPID id = 0;
        EXPECT_EQ(dispatch.Get()->GetIDsOfNames(IID_NULL, names, 1, locale, &id), S_OK) << locale;
        DISPPARAMS none{};
        VARIANT value;
        VariantInit(&value);
        EXPECT_EQ(dispatch.Get()->Invoke(id, IID_NULL, locale, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr),
                  S_OK);
        EXPECT_EQ(value.vt, VT_I4);
    }
}

}  // namespace
