// CDiagnosticsConfig, the entry class, and the error object it hands back to the host.
#include "com/Classes.h"
#include "com/DispatchObject.h"
#include "com/Wrapping.h"
#include "component/CDiagnosticsConfig.h"
#include "win32ui/Win32FormHost.h"

#include <array>
#include <string_view>

namespace diags::com {

namespace {

// {0E6A3B52-7C1D-4D8E-A4F9-3B2C5D6E7F80}: private kind tag of error objects.
constexpr GUID kErrorObjectKind = {0x0e6a3b52, 0x7c1d, 0x4d8e, {0xa4, 0xf9, 0x3b, 0x2c, 0x5d, 0x6e, 0x7f, 0x80}};

// The error description a failing ConfigureDiagnostics hands back through oError, readable
// by name from scripts (Number, Description, Module, Procedure, Line, ...). The default
// member is the description.
class CoErrorObject final : public IDispatch, public INativeObject, private CountedObject {
public:
    explicit CoErrorObject(ErrorRef error) noexcept : error_(std::move(error)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch)) *out = static_cast<IDispatch*>(this);
        else if (IsEqualIID(riid, IID_INativeObject)) *out = static_cast<INativeObject*>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (!names || !ids) return E_POINTER;
        HRESULT result = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (std::size_t k = 0; k < kNames.size(); ++k)
                if (names[i] && ::lstrcmpiW(names[i], kNames[k]) == 0) ids[i] = static_cast<DISPID>(k);
            if (ids[i] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
        }
        return result;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
        if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
        if (id < 0 || static_cast<std::size_t>(id) >= kNames.size()) return DISP_E_MEMBERNOTFOUND;
        if (!result) return S_OK;
        ::VariantInit(result);
        return Guard("DiagsConfig.ErrorObject", [&] {
            const ErrorObject empty;
            const ErrorObject& e = error_ ? *error_ : empty;
            if (id == 1 || id == 6) {
                V_VT(result) = VT_I4;
                V_I4(result) = id == 1 ? e.number : e.line;
                return S_OK;
            }
            const std::string* texts[] = {&e.description, nullptr, &e.description, &e.applicationTitle,
                                          &e.componentTitle, &e.module, nullptr, &e.procedure};
            V_BSTR(result) = ToBstr(*texts[id]);
            V_VT(result) = VT_BSTR;
            return S_OK;
        });
    }
    void* STDMETHODCALLTYPE Native(REFGUID kind) override {
        return IsEqualGUID(kind, kErrorObjectKind) ? &error_ : nullptr;
    }

private:
    static constexpr std::array<const wchar_t*, 8> kNames = {L"Value",          L"Number", L"Description",
                                                             L"ApplicationTitle", L"ComponentTitle", L"Module",
                                                             L"Line",           L"Procedure"};
    ErrorRef error_;
};

class CoDiagnosticsConfig final : public DispatchObject<_CDiagnosticsConfig> {
public:
    explicit CoDiagnosticsConfig(std::unique_ptr<CDiagnosticsConfig> model) noexcept
        : DispatchObject(IID__CDiagnosticsConfig, "DiagsConfig.CDiagnosticsConfig"), model_(std::move(model)) {}

    HRESULT STDMETHODCALLTYPE ConfigureDiagnostics(VARIANT* oError, long* result) override {
        if (!result) return E_POINTER;
        return Run([&] {
            // The host's error object comes in and, on failure, the one describing the failure
            // goes back out in the same variable.
            ErrorRef error;
            VARIANT* target = oError ? const_cast<VARIANT*>(&Deref(*oError)) : nullptr;
            if (target) {
                const ComPtr<IUnknown> passed = ObjectOf(*target);
                if (auto* known = NativeOf<ErrorRef>(passed, kErrorObjectKind)) error = *known;
            }
            const ErrorRef before = error;
            const ResultCode outcome = model_->ConfigureDiagnostics(error);
            *result = static_cast<long>(outcome);
            if (target && error && error != before) {
                ComPtr<CoErrorObject> object = MakeObject<CoErrorObject>(error);
                if (!object) throw std::bad_alloc();
                if (V_VT(target) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(target)) {
                    if (*V_DISPATCHREF(target)) (*V_DISPATCHREF(target))->Release();
                    *V_DISPATCHREF(target) = static_cast<IDispatch*>(object.Detach());
                } else {
                    ::VariantClear(target);
                    V_VT(target) = VT_DISPATCH;
                    V_DISPATCH(target) = static_cast<IDispatch*>(object.Detach());
                }
            }
            return S_OK;
        });
    }

protected:
    // The entry object also answers for the interface identity of its earlier release.
    bool AlsoAnswers(REFIID riid) const noexcept override { return IsEqualIID(riid, kEarlierInterface); }

public:
    // {51E525F6-9E7B-411D-9609-FB459A06A3E0}
    static constexpr IID kEarlierInterface = {0x51e525f6, 0x9e7b, 0x411d, {0x96, 0x09, 0xfb, 0x45, 0x9a, 0x06, 0xa3, 0xe0}};

private:
    std::unique_ptr<CDiagnosticsConfig> model_;
};

}  // namespace

HRESULT CreateDiagnosticsConfig(REFIID iid, void** out) noexcept {
    return Guard("DiagsConfig.CDiagnosticsConfig", [&] {
        auto model = std::make_unique<CDiagnosticsConfig>();
        // The dialog's windows come from the Win32 renderer, made now so that they exist
        // before the dialog's start-up reads a window handle (unless a host of the process
        // installed its own form host before).
        if (forms::CurrentFormHost() == nullptr) model->SetFormHost(&win32ui::Win32FormHost::Instance());
        ComPtr<CoDiagnosticsConfig> object = MakeObject<CoDiagnosticsConfig>(std::move(model));
        return Hand(ComPtr<IDispatch>::Attach(static_cast<_CDiagnosticsConfig*>(object.Detach())), iid, out);
    });
}

}  // namespace diags::com
