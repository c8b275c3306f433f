// COutput and CTraceSetting: automation faces of the two record classes. Properties are
// plain stored values; the link operations work on the model's live link collections.
#include "com/Classes.h"
#include "com/CoCollection.h"
#include "com/DispatchObject.h"
#include "com/Wrapping.h"

namespace diags::com {

namespace {

class CoOutput final : public RegisteredFace<DispatchObject<_COutput>, COutput> {
public:
    explicit CoOutput(std::shared_ptr<COutput> model) noexcept
        : RegisteredFace(IID__COutput, "DiagsConfig.COutput", std::move(model)) {}

    // clang-format off
    HRESULT STDMETHODCALLTYPE put_NTEventLog(VARIANT_BOOL v) override { return PutValue(model_->NTEventLog, v); }
    HRESULT STDMETHODCALLTYPE get_NTEventLog(VARIANT_BOOL* v) override { return GetValue(model_->NTEventLog, v); }
    HRESULT STDMETHODCALLTYPE put_NTEventSource(BSTR v) override { return PutValue(model_->NTEventSource, v); }
    HRESULT STDMETHODCALLTYPE get_NTEventSource(BSTR* v) override { return GetValue(model_->NTEventSource, v); }
    HRESULT STDMETHODCALLTYPE put_NTEventCategory(long v) override { return PutValue(model_->NTEventCategory, v); }
    HRESULT STDMETHODCALLTYPE get_NTEventCategory(long* v) override { return GetValue(model_->NTEventCategory, v); }
    HRESULT STDMETHODCALLTYPE put_ErrorThreshold(short v) override { return PutValue(model_->ErrorThreshold, v); }
    HRESULT STDMETHODCALLTYPE get_ErrorThreshold(short* v) override { return GetValue(model_->ErrorThreshold, v); }
    HRESULT STDMETHODCALLTYPE put_FileName(BSTR v) override { return PutValue(model_->FileName, v); }
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* v) override { return GetValue(model_->FileName, v); }
    HRESULT STDMETHODCALLTYPE put_Directory(BSTR v) override { return PutValue(model_->Directory, v); }
    HRESULT STDMETHODCALLTYPE get_Directory(BSTR* v) override { return GetValue(model_->Directory, v); }
    HRESULT STDMETHODCALLTYPE put_MessageDLL(BSTR v) override { return PutValue(model_->MessageDLL, v); }
    HRESULT STDMETHODCALLTYPE get_MessageDLL(BSTR* v) override { return GetValue(model_->MessageDLL, v); }
    HRESULT STDMETHODCALLTYPE put_AppendToFile(VARIANT_BOOL v) override { return PutValue(model_->AppendToFile, v); }
    HRESULT STDMETHODCALLTYPE get_AppendToFile(VARIANT_BOOL* v) override { return GetValue(model_->AppendToFile, v); }
    HRESULT STDMETHODCALLTYPE put_LogToFile(VARIANT_BOOL v) override { return PutValue(model_->LogToFile, v); }
    HRESULT STDMETHODCALLTYPE get_LogToFile(VARIANT_BOOL* v) override { return GetValue(model_->LogToFile, v); }
    HRESULT STDMETHODCALLTYPE put_DebugMonitor(VARIANT_BOOL v) override { return PutValue(model_->DebugMonitor, v); }
    HRESULT STDMETHODCALLTYPE get_DebugMonitor(VARIANT_BOOL* v) override { return GetValue(model_->DebugMonitor, v); }
    HRESULT STDMETHODCALLTYPE put_DirtyFlag(VARIANT_BOOL v) override { return PutValue(model_->DirtyFlag, v); }
    HRESULT STDMETHODCALLTYPE get_DirtyFlag(VARIANT_BOOL* v) override { return GetValue(model_->DirtyFlag, v); }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR v) override { return PutValue(model_->Name, v); }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override { return GetValue(model_->Name, v); }
    HRESULT STDMETHODCALLTYPE put_Parent(BSTR v) override { return PutValue(model_->Parent, v); }
    HRESULT STDMETHODCALLTYPE get_Parent(BSTR* v) override { return GetValue(model_->Parent, v); }
    HRESULT STDMETHODCALLTYPE get_CircularLogFile(VARIANT_BOOL* v) override { return GetValue(model_->CircularLogFile, v); }
    HRESULT STDMETHODCALLTYPE put_CircularLogFile(VARIANT_BOOL v) override { return PutValue(model_->CircularLogFile, v); }
    HRESULT STDMETHODCALLTYPE get_FileSize(double* v) override { return GetValue(model_->FileSize, v); }
    HRESULT STDMETHODCALLTYPE put_FileSize(double v) override { return PutValue(model_->FileSize, v); }
    HRESULT STDMETHODCALLTYPE get_Key(BSTR* v) override { return GetValue(model_->Key, v); }
    HRESULT STDMETHODCALLTYPE put_Key(BSTR v) override { return PutValue(model_->Key, v); }
    // clang-format on

    HRESULT STDMETHODCALLTYPE AddTraceSetting(VARIANT* oTraceSetting, long* result) override {
        if (!oTraceSetting || !result) return E_POINTER;
        return Run([&] {
            std::shared_ptr<CTraceSetting> traceSetting = TraceSettingOf(*oTraceSetting);
            if (!traceSetting) ThrowObjectRequired();
            *result = model_->AddTraceSetting(traceSetting);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_LinkedTraceSettings(_KeyedCollection** collection) override {
        return Run([&] {
            const auto& linked = model_->LinkedTraceSettings();
            return ReturnObject(linked ? MakeCollection(TraceSettingCollectionBackend(linked)) : nullptr,
                                IID__KeyedCollection, reinterpret_cast<void**>(collection));
        });
    }
    HRESULT STDMETHODCALLTYPE RemoveLinkedTraceSettings(long* result) override {
        if (!result) return E_POINTER;
        *result = model_->RemoveLinkedTraceSettings();
        return S_OK;
    }

    void* STDMETHODCALLTYPE Native(REFGUID kind) override {
        return IsEqualGUID(kind, CLSID_COutput) ? &model_ : nullptr;
    }
};

class CoTraceSetting final : public RegisteredFace<DispatchObject<_CTraceSetting>, CTraceSetting> {
public:
    explicit CoTraceSetting(std::shared_ptr<CTraceSetting> model) noexcept
        : RegisteredFace(IID__CTraceSetting, "DiagsConfig.CTraceSetting", std::move(model)) {}

    // clang-format off
    HRESULT STDMETHODCALLTYPE put_AppendToFile(VARIANT_BOOL v) override { return PutValue(model_->AppendToFile, v); }
    HRESULT STDMETHODCALLTYPE get_AppendToFile(VARIANT_BOOL* v) override { return GetValue(model_->AppendToFile, v); }
    HRESULT STDMETHODCALLTYPE put_LogToFile(VARIANT_BOOL v) override { return PutValue(model_->LogToFile, v); }
    HRESULT STDMETHODCALLTYPE get_LogToFile(VARIANT_BOOL* v) override { return GetValue(model_->LogToFile, v); }
    HRESULT STDMETHODCALLTYPE put_DebugMonitor(VARIANT_BOOL v) override { return PutValue(model_->DebugMonitor, v); }
    HRESULT STDMETHODCALLTYPE get_DebugMonitor(VARIANT_BOOL* v) override { return GetValue(model_->DebugMonitor, v); }
    HRESULT STDMETHODCALLTYPE put_DirtyFlag(VARIANT_BOOL v) override { return PutValue(model_->DirtyFlag, v); }
    HRESULT STDMETHODCALLTYPE get_DirtyFlag(VARIANT_BOOL* v) override { return GetValue(model_->DirtyFlag, v); }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR v) override { return PutValue(model_->Name, v); }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* v) override { return GetValue(model_->Name, v); }
    HRESULT STDMETHODCALLTYPE get_Checked(VARIANT_BOOL* v) override { return GetValue(model_->Checked, v); }
    HRESULT STDMETHODCALLTYPE put_Checked(VARIANT_BOOL v) override { return PutValue(model_->Checked, v); }
    HRESULT STDMETHODCALLTYPE get_CircularLogFile(VARIANT_BOOL* v) override { return GetValue(model_->CircularLogFile, v); }
    HRESULT STDMETHODCALLTYPE put_CircularLogFile(VARIANT_BOOL v) override { return PutValue(model_->CircularLogFile, v); }
    HRESULT STDMETHODCALLTYPE put_FileName(BSTR v) override { return PutValue(model_->FileName, v); }
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* v) override { return GetValue(model_->FileName, v); }
    HRESULT STDMETHODCALLTYPE put_Directory(BSTR v) override { return PutValue(model_->Directory, v); }
    HRESULT STDMETHODCALLTYPE get_Directory(BSTR* v) override { return GetValue(model_->Directory, v); }
    HRESULT STDMETHODCALLTYPE get_FileSize(double* v) override { return GetValue(model_->FileSize, v); }
    HRESULT STDMETHODCALLTYPE put_FileSize(double v) override { return PutValue(model_->FileSize, v); }
    // clang-format on

    HRESULT STDMETHODCALLTYPE AddOutput(VARIANT* oOutput, long* result) override {
        if (!oOutput || !result) return E_POINTER;
        return Run([&] {
            std::shared_ptr<COutput> output = OutputOf(*oOutput);
            if (!output) ThrowObjectRequired();
            *result = model_->AddOutput(output);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE get_LinkedOutputs(_KeyedCollection** collection) override {
        return Run([&] {
            const auto& linked = model_->LinkedOutputs();
            return ReturnObject(linked ? MakeCollection(OutputCollectionBackend(linked)) : nullptr,
                                IID__KeyedCollection, reinterpret_cast<void**>(collection));
        });
    }
    HRESULT STDMETHODCALLTYPE RemoveLinkedOutputs(long* result) override {
        if (!result) return E_POINTER;
        *result = model_->RemoveLinkedOutputs();
        return S_OK;
    }

    void* STDMETHODCALLTYPE Native(REFGUID kind) override {
        return IsEqualGUID(kind, CLSID_CTraceSetting) ? &model_ : nullptr;
    }
};

}  // namespace

ComPtr<IDispatch> WrapOutput(std::shared_ptr<COutput> output) {
    return Wrap<CoOutput, _COutput>(std::move(output));
}
ComPtr<IDispatch> WrapTraceSetting(std::shared_ptr<CTraceSetting> traceSetting) {
    return Wrap<CoTraceSetting, _CTraceSetting>(std::move(traceSetting));
}
std::shared_ptr<COutput> OutputOf(const VARIANT& value) { return ModelOf<COutput>(value, CLSID_COutput); }
std::shared_ptr<CTraceSetting> TraceSettingOf(const VARIANT& value) {
    return ModelOf<CTraceSetting>(value, CLSID_CTraceSetting);
}

HRESULT ReturnObject(ComPtr<IDispatch> object, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!object) return S_OK;  // Nothing
    return object->QueryInterface(iid, out);
}

HRESULT CreateOutput(REFIID iid, void** out) noexcept {
    return Guard("DiagsConfig.COutput", [&] { return Hand(WrapOutput(std::make_shared<COutput>()), iid, out); });
}
HRESULT CreateTraceSetting(REFIID iid, void** out) noexcept {
    return Guard("DiagsConfig.CTraceSetting",
                 [&] { return Hand(WrapTraceSetting(std::make_shared<CTraceSetting>()), iid, out); });
}

}  // namespace diags::com
