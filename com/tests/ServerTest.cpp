// The library loaded as COM loads it: class objects, creation, aggregation, unloading.
#include "com/TVKVerimarkMod.h"
#include "text/Win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();

class Server : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = LoadLibraryW(VERIMARK_COM_DLL);
        ASSERT_TRUE(library_);
        getClassObject_ = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(library_, "DllGetClassObject")));
        canUnloadNow_ = reinterpret_cast<CanUnloadNow>(reinterpret_cast<void*>(GetProcAddress(library_, "DllCanUnloadNow")));
        ASSERT_TRUE(getClassObject_ && canUnloadNow_);
        ASSERT_EQ(canUnloadNow_(), S_OK);
    }
    void TearDown() override
    {
        EXPECT_EQ(canUnloadNow_(), S_OK);  // nothing of a test is left holding the library
        FreeLibrary(library_);
    }
    IClassFactory* Factory(REFCLSID clsid)
    {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClassObject_(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        return factory;
    }

    HMODULE library_ = nullptr;
    GetClassObject getClassObject_ = nullptr;
    CanUnloadNow canUnloadNow_ = nullptr;
};

TEST_F(Server, ClassObjectsForTheThreeClassesOnly)
{
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject_(IID_ISession, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);
    for (const CLSID* clsid : {&CLSID_Session, &CLSID_Progress, &CLSID_Response}) {
        IClassFactory* first = Factory(*clsid);
        IClassFactory* second = Factory(*clsid);
        ASSERT_TRUE(first);
        EXPECT_EQ(first, second);
        IUnknown* unknown = nullptr;
        EXPECT_EQ(getClassObject_(*clsid, IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
        EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(first));
        EXPECT_EQ(getClassObject_(*clsid, IID_IDispatch, &object), E_NOINTERFACE);
        EXPECT_EQ(canUnloadNow_(), S_FALSE);  // a client holds the factory
        unknown->Release();
        second->Release();
        first->Release();
        EXPECT_EQ(canUnloadNow_(), S_OK);
    }
}

TEST_F(Server, LiveObjectsAndServerLocksKeepTheLibrary)
{
    IClassFactory* factory = Factory(CLSID_Session);
    ISession* session = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_ISession, reinterpret_cast<void**>(&session)), S_OK);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    session->Release();
    EXPECT_EQ(canUnloadNow_(), S_OK);

    factory = Factory(CLSID_Progress);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    factory->Release();
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    factory = Factory(CLSID_Progress);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    factory->Release();
}

TEST_F(Server, QueryInterfaceAnswersExactlyThreeInterfaces)
{
    IClassFactory* factory = Factory(CLSID_Progress);
    IProgress* progress = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IProgress, reinterpret_cast<void**>(&progress)), S_OK);
    IUnknown* unknown = nullptr;
    IDispatch* dispatch = nullptr;
    void* other = nullptr;
    EXPECT_EQ(progress->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(progress->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(progress->QueryInterface(IID_ISupportErrorInfo, &other), E_NOINTERFACE);
    EXPECT_EQ(progress->QueryInterface(IID_ISession, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    long value = -1;
    EXPECT_EQ(progress->get_GetPercent(&value), S_OK);
    EXPECT_EQ(value, 0);
    EXPECT_EQ(progress->get_GetError(&value), S_OK);
    EXPECT_EQ(value, 0);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    ITypeInfo* info = nullptr;
    EXPECT_EQ(dispatch->GetTypeInfo(1, 0, &info), DISP_E_BADINDEX);
    unknown->Release();
    dispatch->Release();
    progress->Release();

    void* wrong = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &wrong), E_NOINTERFACE);
    EXPECT_EQ(wrong, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IProgress, nullptr), E_POINTER);
    factory->Release();
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
    IClassFactory* factory = Factory(CLSID_Response);
    Outer outer;
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IResponse, &object), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(object, nullptr);
    ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&outer.inner)), S_OK);
    factory->Release();
    IResponse* response = nullptr;
    ASSERT_EQ(outer.QueryInterface(IID_IResponse, reinterpret_cast<void**>(&response)), S_OK);
    // The aggregated interface's IUnknown is the outer one.
    EXPECT_EQ(outer.references, 2u);
    IUnknown* identity = nullptr;
    EXPECT_EQ(response->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, &outer);
    identity->Release();
    response->Release();
    EXPECT_EQ(outer.references, 1u);
    EXPECT_EQ(canUnloadNow_(), S_FALSE);
    EXPECT_EQ(outer.inner->Release(), 0u);
}

}  // namespace
