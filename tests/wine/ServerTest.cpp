// The server's exported entry points and object lifetimes, as the COM runtime and an early-
// or late-bound client use them.
#include "ServerHarness.h"

#include <olectl.h>

namespace diags::com::testing {
namespace {

constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x800A000D);  // run-time error 13

// A foreign automation object that counts its references, to prove the server releases
// every reference it takes.
class CountingFake final : public IDispatch {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++count; }
    ULONG STDMETHODCALLTYPE Release() override { return --count; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    ULONG count = 1;
};

using ServerTest = WithServer;

TEST_F(ServerTest, EveryClassHasAClassObjectAndNothingElseDoes) {
    for (const CLSID* clsid : {&CLSID_CDiagnosticsConfig, &CLSID_COutput, &CLSID_CDiagMap, &CLSID_CDiagMapEntries,
                               &CLSID_CDiagMapEntry, &CLSID_CTraceSetting}) {
        auto object = server_.Create<IDispatch>(*clsid, IID_IDispatch);
        EXPECT_TRUE(object);
    }
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE,
              server_.GetClassObject(IID__COutput, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())));
    EXPECT_FALSE(factory);
    ASSERT_EQ(S_OK, server_.GetClassObject(CLSID_COutput, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())));
    CountingFake outer;
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(aggregated.Put())));
    ComPtr<IUnknown> wrong;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID__CDiagMap, reinterpret_cast<void**>(wrong.Put())));
    EXPECT_FALSE(wrong);
    EXPECT_EQ(1u, outer.count);
}

TEST_F(ServerTest, TheModuleMayUnloadOnlyWhenNoObjectLives) {
    EXPECT_EQ(S_OK, server_.CanUnloadNow());
    {
        auto output = server_.Create<_COutput>(CLSID_COutput, IID__COutput);
        EXPECT_EQ(S_FALSE, server_.CanUnloadNow());
        // A collection handed out outlives the object it came from, and counts on its own.
        ComPtr<_KeyedCollection> links;
        ASSERT_EQ(S_OK, output->get_LinkedTraceSettings(links.Put()));
        output.Reset();
        EXPECT_EQ(S_FALSE, server_.CanUnloadNow());
        ComPtr<IUnknown> enumerator;
        ASSERT_EQ(S_OK, links->_NewEnum(enumerator.Put()));
        links.Reset();
        EXPECT_EQ(S_FALSE, server_.CanUnloadNow());
    }
    EXPECT_EQ(S_OK, server_.CanUnloadNow());

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, server_.GetClassObject(CLSID_CDiagMap, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())));
    factory->LockServer(TRUE);
    EXPECT_EQ(S_FALSE, server_.CanUnloadNow());
    factory->LockServer(FALSE);
    EXPECT_EQ(S_OK, server_.CanUnloadNow());
}

TEST_F(ServerTest, TheEntryObjectAnswersForItsEarlierInterfaceIdentity) {
    auto entry = server_.Create<_CDiagnosticsConfig>(CLSID_CDiagnosticsConfig, IID__CDiagnosticsConfig);
    ASSERT_TRUE(entry);
    ComPtr<IUnknown> earlier, unknown1, unknown2, none;
    ASSERT_EQ(S_OK, entry->QueryInterface(kEarlierEntryInterface, reinterpret_cast<void**>(earlier.Put())));
    EXPECT_EQ(static_cast<IUnknown*>(entry.Get()), earlier.Get());
    entry->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown1.Put()));
    earlier->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown2.Put()));
    EXPECT_EQ(unknown1.Get(), unknown2.Get());
    EXPECT_EQ(E_NOINTERFACE, entry->QueryInterface(IID__COutput, reinterpret_cast<void**>(none.Put())));
    auto support = entry.As<ISupportErrorInfo>(IID_ISupportErrorInfo);
    ASSERT_TRUE(support);
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID__CDiagnosticsConfig));
}

TEST_F(ServerTest, ForeignObjectsAreRefusedAndReleased) {
    CountingFake fake;
    {
        auto output = server_.Create<_COutput>(CLSID_COutput, IID__COutput);
        OwnedVariant argument;
        V_VT(argument.get()) = VT_DISPATCH;
        V_DISPATCH(argument.get()) = &fake;
        fake.AddRef();
        long result = 0;
        EXPECT_EQ(kTypeMismatch, output->AddTraceSetting(argument.get(), &result));
        ComPtr<IErrorInfo> info;
        ASSERT_EQ(S_OK, ::GetErrorInfo(0, info.Put()));
        OwnedBstr text;
        info->GetDescription(text.put());
        EXPECT_STREQ(L"Type mismatch", text.get());
    }
    EXPECT_EQ(1u, fake.count);
    EXPECT_EQ(S_OK, server_.CanUnloadNow());
}

TEST_F(ServerTest, ASecondConfigureDiagnosticsFailsWithAnErrorObject) {
    auto entry = server_.Create<_CDiagnosticsConfig>(CLSID_CDiagnosticsConfig, IID__CDiagnosticsConfig);
    OwnedVariant error;
    long outcome = -1;
    ASSERT_EQ(S_OK, entry->ConfigureDiagnostics(error.get(), &outcome));
    EXPECT_GE(outcome, 0);
    EXPECT_LE(outcome, 3);
    ASSERT_EQ(S_OK, entry->ConfigureDiagnostics(error.get(), &outcome));
    EXPECT_EQ(3, outcome);
    ASSERT_EQ(VT_DISPATCH, V_VT(error.get()));  // its members are read by DiagsConfig.vbs
    entry.Reset();
    EXPECT_EQ(S_FALSE, server_.CanUnloadNow());  // the error object is still held
    error.reset();
    EXPECT_EQ(S_OK, server_.CanUnloadNow());
}

}  // namespace
}  // namespace diags::com::testing
