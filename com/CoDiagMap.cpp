// CDiagMap, CDiagMapEntries and CDiagMapEntry: automation faces of the diagnostics map and
// its two small companion classes.
#include "com/Classes.h"
#include "com/CoCollection.h"
#include "com/DispatchObject.h"
#include "com/Wrapping.h"

namespace diags::com {

namespace {

// The outputs a caller passes as cAllOutputs: a collection of COutput objects, or Nothing
// (no outputs at all).
CollectionRef<COutput> OutputsOf(const VARIANT* cAllOutputs) {
    if (!cAllOutputs) return NewCollection<COutput>();
    ComPtr<IUnknown> holder;
    const CollectionBackend* backend = BackendOf(*cAllOutputs, holder);
    return backend ? backend->Outputs() : NewCollection<COutput>();
}

HRESULT EmptyResult(VARIANT* result) noexcept {
    if (result) ::VariantInit(result);
    return S_OK;
}

class CoDiagMap final : public DispatchObject<_CDiagMap> {
public:
    CoDiagMap() noexcept : DispatchObject(IID__CDiagMap, "DiagsConfig.CDiagMap") {}

    HRESULT STDMETHODCALLTYPE InitializeDiagMapDefs(VARIANT* result) override {
        return Run([&] {
            Model().InitializeDiagMapDefs();
            return EmptyResult(result);
        });
    }
    HRESULT STDMETHODCALLTYPE PopulateCheckedMap(VARIANT* cAllOutputs, VARIANT* result) override {
        return Run([&] {
            const CollectionRef<COutput> outputs = OutputsOf(cAllOutputs);
            Model().PopulateCheckedMap(*outputs);
            return EmptyResult(result);
        });
    }
    HRESULT STDMETHODCALLTYPE EditorMapRows(VARIANT* rows) override {
        return Run([&] { return TextArray(Model().EditorMapRows(), rows); });
    }
    HRESULT STDMETHODCALLTYPE EditorMapCols(VARIANT* cols) override {
        return Run([&] { return TextArray(Model().EditorMapCols(), cols); });
    }
    HRESULT STDMETHODCALLTYPE TaskMapRows(VARIANT* rows) override {
        return Run([&] { return TextArray(Model().TaskMapRows(), rows); });
    }
    HRESULT STDMETHODCALLTYPE TaskMapCols(VARIANT* cols) override {
        return Run([&] { return TextArray(Model().TaskMapCols(), cols); });
    }
    // The two spare collections: nothing in the component fills them, so callers may use
    // them for anything (a script collects its outputs in one before PopulateCheckedMap).
    HRESULT STDMETHODCALLTYPE get_EditorTraceSettings(_KeyedCollection** collection) override {
        return Run([&] { return SpareCollection(editorTraceSettings_, collection); });
    }
    HRESULT STDMETHODCALLTYPE get_TaskTraceSettings(_KeyedCollection** collection) override {
        return Run([&] { return SpareCollection(taskTraceSettings_, collection); });
    }
    HRESULT STDMETHODCALLTYPE LinkTraceSettings2Modules(VARIANT sOutputName, BSTR sTraceName, VARIANT* cAllOutputs,
                                                        long* result) override {
        if (!result) return E_POINTER;
        return Run([&] {
            const std::string output = TextOf(sOutputName);
            *result = Model().LinkTraceSettings2Modules(output, FromBstr(sTraceName), *OutputsOf(cAllOutputs));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE LinkTraceSettings2Modules2(VARIANT sOutputName, BSTR sTraceName, VARIANT* cAllOutputs,
                                                         long* result) override {
        if (!result) return E_POINTER;
        return Run([&] {
            const std::string output = TextOf(sOutputName);
            *result = Model().LinkTraceSettings2Modules2(output, FromBstr(sTraceName), *OutputsOf(cAllOutputs));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE GetOutput(BSTR sOutputName, VARIANT* cAllOutputs, _KeyedCollection** outputs) override {
        return Run([&] {
            const auto found = Model().GetOutput(FromBstr(sOutputName), *OutputsOf(cAllOutputs));
            return ReturnObject(found ? MakeCollection(OutputCollectionBackend(found)) : nullptr, IID__KeyedCollection,
                                reinterpret_cast<void**>(outputs));
        });
    }
    HRESULT STDMETHODCALLTYPE GetOutput2(BSTR sOutputName, VARIANT* cAllOutputs, _KeyedCollection** outputs) override {
        return Run([&] {
            const auto found = Model().GetOutput2(FromBstr(sOutputName), *OutputsOf(cAllOutputs));
            return ReturnObject(found ? MakeCollection(OutputCollectionBackend(found)) : nullptr, IID__KeyedCollection,
                                reinterpret_cast<void**>(outputs));
        });
    }
    HRESULT STDMETHODCALLTYPE GetTraceSetting(BSTR sTraceName, _CTraceSetting** traceSetting) override {
        return Run([&] {
            return ReturnObject(WrapTraceSetting(Model().GetTraceSetting(FromBstr(sTraceName))), IID__CTraceSetting,
                                reinterpret_cast<void**>(traceSetting));
        });
    }
    HRESULT STDMETHODCALLTYPE AddTraceSetting(BSTR sTraceName, long* result) override {
        if (!result) return E_POINTER;
        return Run([&] {
            *result = Model().AddTraceSetting(FromBstr(sTraceName));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_AllTraceSettings(_KeyedCollection** collection) override {
        return Run([&] {
            return ReturnObject(MakeCollection(TraceSettingCollectionBackend(Model().AllTraceSettings())),
                                IID__KeyedCollection, reinterpret_cast<void**>(collection));
        });
    }

private:
    CDiagMap& Model() {
        if (!model_) model_ = std::make_unique<CDiagMap>();
        return *model_;
    }
    static HRESULT SpareCollection(ComPtr<IDispatch>& held, _KeyedCollection** out) {
        if (!held) held = MakeCollection(ScriptCollectionBackend());
        if (!held) throw std::bad_alloc();
        return ReturnObject(held, IID__KeyedCollection, reinterpret_cast<void**>(out));
    }

    std::unique_ptr<CDiagMap> model_;
    ComPtr<IDispatch> editorTraceSettings_;
    ComPtr<IDispatch> taskTraceSettings_;
};

class CoDiagMapEntry final : public RegisteredFace<DispatchObject<_CDiagMapEntry>, CDiagMapEntry> {
public:
    explicit CoDiagMapEntry(std::shared_ptr<CDiagMapEntry> model) noexcept
        : RegisteredFace(IID__CDiagMapEntry, "DiagsConfig.CDiagMapEntry", std::move(model)) {}

    // clang-format off
    HRESULT STDMETHODCALLTYPE get_Row(BSTR* v) override { return GetValue(model_->Row, v); }
    HRESULT STDMETHODCALLTYPE put_Row(BSTR v) override { return PutValue(model_->Row, v); }
    HRESULT STDMETHODCALLTYPE get_Column(BSTR* v) override { return GetValue(model_->Column, v); }
    HRESULT STDMETHODCALLTYPE put_Column(BSTR v) override { return PutValue(model_->Column, v); }
    HRESULT STDMETHODCALLTYPE get_Checked(VARIANT_BOOL* v) override { return GetValue(model_->Checked, v); }
    HRESULT STDMETHODCALLTYPE put_Checked(VARIANT_BOOL v) override { return PutValue(model_->Checked, v); }
    // clang-format on

    HRESULT STDMETHODCALLTYPE SameMapEntry(VARIANT* oMapEntry, VARIANT_BOOL* same) override {
        if (!oMapEntry || !same) return E_POINTER;
        return Run([&] {
            *same = ToVariantBool(model_->SameMapEntry(MapEntryOf(*oMapEntry)));
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE PrintEntry(VARIANT* result) override {
        model_->PrintEntry();
        return EmptyResult(result);
    }
    HRESULT STDMETHODCALLTYPE get_TraceSetting(_CTraceSetting** traceSetting) override {
        return Run([&] {
            return ReturnObject(WrapTraceSetting(model_->TraceSetting()), IID__CTraceSetting,
                                reinterpret_cast<void**>(traceSetting));
        });
    }
    void* STDMETHODCALLTYPE Native(REFGUID kind) override {
        return IsEqualGUID(kind, CLSID_CDiagMapEntry) ? &model_ : nullptr;
    }

};

class CoDiagMapEntries final : public DispatchObject<_CDiagMapEntries> {
public:
    CoDiagMapEntries() noexcept : DispatchObject(IID__CDiagMapEntries, "DiagsConfig.CDiagMapEntries") {}

    HRESULT STDMETHODCALLTYPE Add(VARIANT* oMapEntry, VARIANT* sKey, VARIANT* result) override {
        if (!oMapEntry || !sKey) return E_POINTER;
        return Run([&] {
            const std::shared_ptr<CDiagMapEntry> entry = MapEntryOf(*oMapEntry);
            if (!entry) ThrowObjectRequired();
            model_.Add(entry, TextOf(*sKey));
            return EmptyResult(result);
        });
    }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT* sKey, VARIANT* result) override {
        if (!sKey) return E_POINTER;
        return Run([&] {
            model_.Remove(TextOf(*sKey));
            return EmptyResult(result);
        });
    }
    HRESULT STDMETHODCALLTYPE get_Key(BSTR* v) override { return GetValue(model_.Key, v); }
    HRESULT STDMETHODCALLTYPE put_Key(BSTR v) override { return PutValue(model_.Key, v); }
    HRESULT STDMETHODCALLTYPE get_DiagMapEntries(_KeyedCollection** collection) override {
        return Run([&] {
            const auto& entries = model_.DiagMapEntries();
            return ReturnObject(entries ? MakeCollection(EntryCollectionBackend(entries)) : nullptr,
                                IID__KeyedCollection, reinterpret_cast<void**>(collection));
        });
    }
    HRESULT STDMETHODCALLTYPE putref_DiagMapEntries(_KeyedCollection* collection) override {
        return Run([&] {
            if (!collection) {
                model_.SetDiagMapEntries(nullptr);
                return S_OK;
            }
            const auto object = ComPtr<IUnknown>::Share(collection);
            const auto* backend = NativeOf<CollectionBackend>(object, IID__KeyedCollection);
            if (!backend) throw RuntimeError(err::kTypeMismatch, "Type mismatch");
            model_.SetDiagMapEntries(backend->Entries());
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE DiagMapEntry(VARIANT* sEntryName, _CDiagMapEntry** entry) override {
        if (!sEntryName) return E_POINTER;
        return Run([&] {
            return ReturnObject(WrapMapEntry(model_.DiagMapEntry(TextOf(*sEntryName))), IID__CDiagMapEntry,
                                reinterpret_cast<void**>(entry));
        });
    }
    HRESULT STDMETHODCALLTYPE PrintAllEntries(VARIANT* result) override {
        model_.PrintAllEntries();
        return EmptyResult(result);
    }

private:
    CDiagMapEntries model_;
};

}  // namespace

ComPtr<IDispatch> WrapMapEntry(std::shared_ptr<CDiagMapEntry> entry) {
    return Wrap<CoDiagMapEntry, _CDiagMapEntry>(std::move(entry));
}
std::shared_ptr<CDiagMapEntry> MapEntryOf(const VARIANT& value) {
    return ModelOf<CDiagMapEntry>(value, CLSID_CDiagMapEntry);
}

HRESULT CreateDiagMap(REFIID iid, void** out) noexcept {
    return Guard("DiagsConfig.CDiagMap", [&] {
        ComPtr<CoDiagMap> object = MakeObject<CoDiagMap>();
        return Hand(ComPtr<IDispatch>::Attach(static_cast<_CDiagMap*>(object.Detach())), iid, out);
    });
}
HRESULT CreateDiagMapEntries(REFIID iid, void** out) noexcept {
    return Guard("DiagsConfig.CDiagMapEntries", [&] {
        ComPtr<CoDiagMapEntries> object = MakeObject<CoDiagMapEntries>();
        return Hand(ComPtr<IDispatch>::Attach(static_cast<_CDiagMapEntries*>(object.Detach())), iid, out);
    });
}
HRESULT CreateDiagMapEntry(REFIID iid, void** out) noexcept {
    return Guard("DiagsConfig.CDiagMapEntry",
                 [&] { return Hand(WrapMapEntry(std::make_shared<CDiagMapEntry>()), iid, out); });
}

}  // namespace diags::com
