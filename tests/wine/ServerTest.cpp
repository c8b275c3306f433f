// The server's exported entry points and object lifetimes, as the COM runtime and an early-
// or late-bound client use them.
#include "ServerHarness.h"

#include <olectl.h>

namespace diags::com::testing {
namespace {

constexpr IID kEarlierEntryInterface = {0x51e525f6, 0x9e7b, 0x411d, {0x96, 0x09, 0xfb, 0x45, 0x9a, 0x06, 0xa3, 0xe0}};
constexpr HRESULT kDuplicateKey = static_cast<HRESULT>(0x800A01C9);  // run-time error 457
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

DISPID IdOf(IDispatch* object, const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    return id;
}

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Loaded()); }
    Server server_;
};

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

TEST_F(ServerTest, AWholeMapWithLinksIsReleasedCompletely) {
    {
        auto map = server_.Create<_CDiagMap>(CLSID_CDiagMap, IID__CDiagMap);
        OwnedVariant ignored;
        map->InitializeDiagMapDefs(ignored.get());
        ComPtr<_KeyedCollection> outputs;
        ASSERT_EQ(S_OK, map->get_EditorTraceSettings(outputs.Put()));
        auto output = server_.Create<_COutput>(CLSID_COutput, IID__COutput);
        OwnedBstr key(::SysAllocString(L"ZEL GridLibFunction Level Tracing"));
        output->put_Key(key.get());
        OwnedVariant item, none;
        V_VT(item.get()) = VT_DISPATCH;
        output->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&V_DISPATCH(item.get())));
        V_VT(none.get()) = VT_ERROR;
        V_ERROR(none.get()) = DISP_E_PARAMNOTFOUND;
        ASSERT_EQ(S_OK, outputs->Add(*item.get(), *none.get(), *none.get(), *none.get()));
        OwnedVariant byRef, result;
        V_VT(byRef.get()) = VT_DISPATCH;
        outputs->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&V_DISPATCH(byRef.get())));
        ASSERT_EQ(S_OK, map->PopulateCheckedMap(byRef.get(), result.get()));
        ComPtr<_KeyedCollection> links;
        ASSERT_EQ(S_OK, output->get_LinkedTraceSettings(links.Put()));
        long count = 0;
        links->Count(&count);
        EXPECT_EQ(2, count);  // Report Editor and Template Editor use the grid library
        // Break the cycles as the dialog does, then let everything go.
        long removed = 0;
        EXPECT_EQ(S_OK, output->RemoveLinkedTraceSettings(&removed));
    }
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

TEST_F(ServerTest, FailuresReachLateBoundCallersAsExceptionsWithText) {
    auto output = server_.Create<IDispatch>(CLSID_COutput, IID_IDispatch);
    auto setting = server_.Create<IDispatch>(CLSID_CTraceSetting, IID_IDispatch);
    const DISPID add = IdOf(output.Get(), L"AddTraceSetting");
    OwnedVariant argument;
    V_VT(argument.get()) = VT_DISPATCH;
    V_DISPATCH(argument.get()) = setting.Get();
    setting->AddRef();
    DISPPARAMS params{argument.get(), nullptr, 1, 0};
    OwnedVariant result;
    OwnedExcepInfo exception;
    ASSERT_EQ(S_OK, output->Invoke(add, IID_NULL, 0, DISPATCH_METHOD, &params, result.get(), exception.get(), nullptr));
    result.reset();
    ASSERT_EQ(DISP_E_EXCEPTION,
              output->Invoke(add, IID_NULL, 0, DISPATCH_METHOD, &params, result.put(), exception.put(), nullptr));
    EXPECT_EQ(kDuplicateKey, exception->scode);
    ASSERT_NE(nullptr, exception->bstrDescription);
    EXPECT_NE(0u, ::SysStringLen(exception->bstrDescription));
    EXPECT_STREQ(L"DiagsConfig.COutput", exception->bstrSource);
    // Break the link cycle.
    auto early = output.As<_COutput>(IID__COutput);
    long removed = 0;
    early->RemoveLinkedTraceSettings(&removed);
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
    ASSERT_EQ(VT_DISPATCH, V_VT(error.get()));
    const DISPID procedure = IdOf(V_DISPATCH(error.get()), L"procedure");
    DISPPARAMS none{};
    OwnedVariant text;
    ASSERT_EQ(S_OK, V_DISPATCH(error.get())->Invoke(procedure, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, text.get(), nullptr,
                                                nullptr));
    EXPECT_STREQ(L"ConfigureDiagnistics", V_BSTR(text.get()));
    entry.Reset();
    EXPECT_EQ(S_FALSE, server_.CanUnloadNow());  // the error object is still held
    error.reset();
    EXPECT_EQ(S_OK, server_.CanUnloadNow());
}

// Registration and unregistration through the exported entry points (scripts/test-wine.sh checks
// every key regsvr32 writes and removes); a second unregistration is harmless.
TEST_F(ServerTest, RegistrationIsUndoneCompletelyAndMayBeUndoneTwice) {
    const auto exists = [](const char* path) {
        OwnedKey key;
        return ::RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
    };
    ASSERT_EQ(S_OK, server_.Register());
    EXPECT_TRUE(exists("DiagsConfig.COutput\\CLSID") && exists("TypeLib\\{37F17646-642E-4C6E-B0B7-6984845D0FD4}\\1.1"));
    ASSERT_EQ(S_OK, server_.Unregister());
    for (const char* gone : {"CLSID\\{33EC9949-DD15-43D1-BBBB-BD7F00770AF6}", "DiagsConfig.COutput",
                             "TypeLib\\{37F17646-642E-4C6E-B0B7-6984845D0FD4}", "Interface\\{243438FC-4A22-46EE-B089-BC88D82AD5F2}"})
        EXPECT_FALSE(exists(gone)) << gone;
    EXPECT_EQ(S_OK, server_.Unregister());
}

}  // namespace
}  // namespace diags::com::testing
