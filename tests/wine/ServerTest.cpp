// The server's exported entry points, object lifetimes and type library, as the COM runtime and
// an early- or late-bound client use them.
#include "ServerHarness.h"

#include <olectl.h>

#include <algorithm>
#include <vector>

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

// Every class is created by its ProgID in DiagsConfig.vbs; here, what the factories refuse.
TEST_F(ServerTest, OnlyTheClassesHaveClassObjectsAndTheirFactoriesRefuseAggregation) {
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
    {  // the error object a second ConfigureDiagnostics hands out, too (its members: DiagsConfig.vbs)
        OwnedVariant error;
        long outcome = -1;
        auto entry = server_.Create<_CDiagnosticsConfig>(CLSID_CDiagnosticsConfig, IID__CDiagnosticsConfig);
        for (int call = 0; call < 2; ++call) entry->ConfigureDiagnostics(error.get(), &outcome);
        entry.Reset();
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

ComPtr<ITypeLib> LoadLibraryOfDll() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(L"DiagsConfig.dll"), path, MAX_PATH);
    ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, ::LoadTypeLibEx(path, REGKIND_NONE, library.Put()));
    return library;
}

std::wstring Name(ITypeInfo* info, MEMBERID id) {
    OwnedBstr name;
    info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
    return name.get() ? name.get() : L"";
}

// "put Name" / "get Name" / "Name" for each vtable slot after IDispatch's.
std::vector<std::wstring> Slots(ITypeLib* library, REFIID iid) {
    ComPtr<ITypeInfo> info;
    EXPECT_EQ(S_OK, library->GetTypeInfoOfGuid(iid, info.Put()));
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> vtable;
    info->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference);
    info->GetRefTypeInfo(reference, vtable.Put());
    TYPEATTR* attributes = nullptr;
    vtable->GetTypeAttr(&attributes);
    std::vector<std::pair<SHORT, std::wstring>> slots;
    for (UINT i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        vtable->GetFuncDesc(i, &function);
        const std::wstring prefix = function->invkind == INVOKE_PROPERTYGET   ? L"get "
                                    : function->invkind == INVOKE_PROPERTYPUT ? L"put "
                                    : function->invkind == INVOKE_PROPERTYPUTREF ? L"putref "
                                                                                : L"";
        slots.emplace_back(function->oVft, prefix + Name(vtable.Get(), function->memid));
        vtable->ReleaseFuncDesc(function);
    }
    vtable->ReleaseTypeAttr(attributes);
    std::sort(slots.begin(), slots.end());
    std::vector<std::wstring> names;
    for (auto& slot : slots) names.push_back(slot.second);
    return names;
}

// Early-bound clients call by slot: each interface's members in their order in the type library
// embedded in DiagsConfig.dll, with the property pairs in the order they were declared (getter or
// setter first). Its identity, version and locale are checked on the keys regsvr32 writes from it,
// by scripts/test-wine.sh; late binding through it by DiagsConfig.vbs.
TEST_F(ServerTest, TheTypeLibraryKeepsEachInterfacesSlotOrder) {
    struct Interface {
        const IID* iid;
        const char* name;
        std::vector<std::wstring> slots;
    };
    const Interface interfaces[] = {
        {&IID__COutput, "_COutput",
         {L"put NTEventLog", L"get NTEventLog", L"put NTEventSource", L"get NTEventSource", L"put NTEventCategory",
          L"get NTEventCategory", L"put ErrorThreshold", L"get ErrorThreshold", L"put FileName", L"get FileName",
          L"put Directory", L"get Directory", L"put MessageDLL", L"get MessageDLL", L"put AppendToFile",
          L"get AppendToFile", L"put LogToFile", L"get LogToFile", L"put DebugMonitor", L"get DebugMonitor",
          L"put DirtyFlag", L"get DirtyFlag", L"put Name", L"get Name", L"put Parent", L"get Parent",
          L"get CircularLogFile", L"put CircularLogFile", L"get FileSize", L"put FileSize", L"get Key", L"put Key",
          L"AddTraceSetting", L"get LinkedTraceSettings", L"RemoveLinkedTraceSettings"}},
        {&IID__CTraceSetting, "_CTraceSetting",
         {L"put AppendToFile", L"get AppendToFile", L"put LogToFile", L"get LogToFile", L"put DebugMonitor",
          L"get DebugMonitor", L"put DirtyFlag", L"get DirtyFlag", L"put Name", L"get Name", L"get Checked",
          L"put Checked", L"get CircularLogFile", L"put CircularLogFile", L"put FileName", L"get FileName",
          L"put Directory", L"get Directory", L"get FileSize", L"put FileSize", L"AddOutput", L"get LinkedOutputs",
          L"RemoveLinkedOutputs"}},
        {&IID__CDiagMap, "_CDiagMap",
         {L"InitializeDiagMapDefs", L"PopulateCheckedMap", L"EditorMapRows", L"EditorMapCols", L"TaskMapRows",
          L"TaskMapCols", L"get EditorTraceSettings", L"get TaskTraceSettings", L"LinkTraceSettings2Modules",
          L"LinkTraceSettings2Modules2", L"GetOutput", L"GetOutput2", L"GetTraceSetting", L"AddTraceSetting",
          L"get AllTraceSettings"}},
        {&IID__CDiagMapEntries, "_CDiagMapEntries",
         {L"Add", L"Remove", L"get Key", L"put Key", L"get DiagMapEntries", L"putref DiagMapEntries", L"DiagMapEntry",
          L"PrintAllEntries"}},
        {&IID__CDiagMapEntry, "_CDiagMapEntry",
         {L"get Row", L"put Row", L"get Column", L"put Column", L"SameMapEntry", L"PrintEntry", L"get Checked",
          L"put Checked", L"get TraceSetting"}},
        {&IID__CDiagnosticsConfig, "_CDiagnosticsConfig", {L"ConfigureDiagnostics"}}};
    const ComPtr<ITypeLib> library = LoadLibraryOfDll();
    ASSERT_TRUE(library);
    for (const Interface& face : interfaces) EXPECT_EQ(face.slots, Slots(library.Get(), *face.iid)) << face.name;
}

}  // namespace
}  // namespace diags::com::testing
