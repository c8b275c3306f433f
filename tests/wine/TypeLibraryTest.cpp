// The type library embedded in DiagsConfig.dll: identity, classes, interface flags and the
// slot order of the members (which early-bound clients depend on).
#include "ServerHarness.h"

#include <vector>

namespace diags::com::testing {
namespace {

ComPtr<ITypeLib> LoadLibraryOfDll() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(::GetModuleHandleW(L"DiagsConfig.dll"), path, MAX_PATH);
    ComPtr<ITypeLib> library;
    EXPECT_EQ(S_OK, ::LoadTypeLibEx(path, REGKIND_NONE, library.Put()));
    return library;
}

template <class Described>  // a type library or a type's description
std::wstring Name(Described* info, MEMBERID id) {
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

class TypeLibraryTest : public WithServer {
protected:
    void SetUp() override {
        WithServer::SetUp();
        library_ = LoadLibraryOfDll();
        ASSERT_TRUE(library_);
    }
    ComPtr<ITypeLib> library_;
};

TEST_F(TypeLibraryTest, IsDiagsConfigVersionOnePointOneInEnglishWithTheEarlierEntryInterfaceAnAlias) {
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library_->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(LIBID_DiagsConfig, attributes->guid));
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(1, attributes->wMinorVerNum);
    EXPECT_EQ(0x409u, attributes->lcid);
    library_->ReleaseTLibAttr(attributes);
    EXPECT_EQ(L"DiagsConfig", Name(library_.Get(), -1));  // its help text is checked on the registered key

    ComPtr<ITypeInfo> alias;  // the earlier entry interface names the current one
    ASSERT_EQ(S_OK, library_->GetTypeInfoOfGuid(kEarlierEntryInterface, alias.Put()));
    TYPEATTR* aliasAttributes = nullptr;
    alias->GetTypeAttr(&aliasAttributes);
    EXPECT_EQ(TKIND_ALIAS, aliasAttributes->typekind);
    EXPECT_EQ(VT_USERDEFINED, aliasAttributes->tdescAlias.vt);
    alias->ReleaseTypeAttr(aliasAttributes);
}

TEST_F(TypeLibraryTest, SixCreatableClassesWithHiddenDualDefaultInterfaces) {
    struct Class {
        const CLSID* clsid;
        const wchar_t* name;
        const IID* iid;
    };
    for (const Class& c : {Class{&CLSID_CDiagnosticsConfig, L"CDiagnosticsConfig", &IID__CDiagnosticsConfig},
                           {&CLSID_COutput, L"COutput", &IID__COutput}, {&CLSID_CDiagMap, L"CDiagMap", &IID__CDiagMap},
                           {&CLSID_CDiagMapEntries, L"CDiagMapEntries", &IID__CDiagMapEntries},
                           {&CLSID_CDiagMapEntry, L"CDiagMapEntry", &IID__CDiagMapEntry},
                           {&CLSID_CTraceSetting, L"CTraceSetting", &IID__CTraceSetting}}) {
        ComPtr<ITypeInfo> coclass;
        ASSERT_EQ(S_OK, library_->GetTypeInfoOfGuid(*c.clsid, coclass.Put()));
        EXPECT_EQ(c.name, Name(coclass.Get(), MEMBERID_NIL));
        TYPEATTR* attributes = nullptr;
        coclass->GetTypeAttr(&attributes);
        EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
        coclass->ReleaseTypeAttr(attributes);
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> face;
        coclass->GetRefTypeOfImplType(0, &reference);
        coclass->GetRefTypeInfo(reference, face.Put());
        face->GetTypeAttr(&attributes);
        EXPECT_TRUE(IsEqualGUID(*c.iid, attributes->guid)) << "default interface of the class";
        const WORD wanted = TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN | TYPEFLAG_FNONEXTENSIBLE;
        EXPECT_EQ(wanted, attributes->wTypeFlags & wanted);
        face->ReleaseTypeAttr(attributes);
    }
}

// Early-bound clients call by slot: each interface's members in their order, with the
// property pairs in the order they were declared (getter or setter first).
TEST_F(TypeLibraryTest, EveryInterfaceKeepsItsSlotOrder) {
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
    for (const Interface& face : interfaces) EXPECT_EQ(face.slots, Slots(library_.Get(), *face.iid)) << face.name;
}

}  // namespace
}  // namespace diags::com::testing
