// diagshost: what the desktop client does with the component. Creates
// DiagsConfig.CDiagnosticsConfig by its ProgID through the COM runtime, calls
// ConfigureDiagnostics with an empty error variable, prints the outcome code and, for a
// failure (3), the error's description. The exit code is the outcome (4 when the component
// could not be created or called).
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "platform/win32/Owned.h"

namespace {

constexpr int kHostFailure = 4;

using diags::platform::win32::ComApartment;
using diags::platform::win32::ComPtr;
using diags::platform::win32::OwnedExcepInfo;
using diags::platform::win32::OwnedVariant;

std::string Narrow(const wchar_t* text) {
    if (!text) return {};
    const int length = ::WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length > 0 ? length - 1 : 0), '\0');
    if (length > 1) ::WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), length, nullptr, nullptr);
    return result;
}

HRESULT GetId(IDispatch* object, const wchar_t* name, DISPID& id) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
}

// The text of a property of an error object, or empty.
std::string PropertyText(IDispatch* object, const wchar_t* name) {
    DISPID id = 0;
    if (FAILED(GetId(object, name, id))) return {};
    DISPPARAMS none{};
    OwnedVariant result;
    if (FAILED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.put(), nullptr,
                              nullptr)))
        return {};
    OwnedVariant text;
    if (FAILED(::VariantChangeType(text.get(), result.get(), 0, VT_BSTR))) return {};
    return Narrow(V_BSTR(text.get()));
}

int Fail(const char* what, HRESULT hr) {
    std::fprintf(stderr, "diagshost: %s (0x%08lX)\n", what, static_cast<unsigned long>(hr));
    return kHostFailure;
}

}  // namespace

int main() {
    // COM for this thread, in a single-threaded apartment as a desktop client's UI thread.
    const ComApartment apartment(COINIT_APARTMENTTHREADED);
    if (!apartment) return Fail("COM could not be started", apartment.Result());

    CLSID clsid{};
    HRESULT hr = ::CLSIDFromProgID(L"DiagsConfig.CDiagnosticsConfig", &clsid);
    if (FAILED(hr)) return Fail("DiagsConfig.CDiagnosticsConfig is not registered (run regsvr32 DiagsConfig.dll)", hr);
    ComPtr<IDispatch> component;
    hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(component.Put()));
    if (FAILED(hr)) return Fail("DiagsConfig.CDiagnosticsConfig could not be created", hr);

    DISPID configure = 0;
    hr = GetId(component.Get(), L"ConfigureDiagnostics", configure);
    if (FAILED(hr)) return Fail("ConfigureDiagnostics is missing", hr);

    // The error variable goes in by reference, as a client passes its own variable.
    OwnedVariant error;
    VARIANT argument;  // a reference to `error`: owns nothing
    ::VariantInit(&argument);
    V_VT(&argument) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&argument) = error.get();
    DISPPARAMS params{&argument, nullptr, 1, 0};
    OwnedVariant result;
    OwnedExcepInfo exception;
    hr = component->Invoke(configure, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(),
                           exception.get(), nullptr);
    if (FAILED(hr)) {
        std::fprintf(stderr, "diagshost: ConfigureDiagnostics failed: %s\n", Narrow(exception->bstrDescription).c_str());
        return Fail("ConfigureDiagnostics could not be called", hr);
    }
    OwnedVariant outcome;
    if (FAILED(::VariantChangeType(outcome.get(), result.get(), 0, VT_I4)))
        return Fail("ConfigureDiagnostics answered no number", DISP_E_TYPEMISMATCH);
    const int code = static_cast<int>(V_I4(outcome.get()));
    std::printf("ConfigureDiagnostics: %d\n", code);
    if (code == 3 && V_VT(error.get()) == VT_DISPATCH && V_DISPATCH(error.get()))
        std::printf("Error: %s\n", PropertyText(V_DISPATCH(error.get()), L"Description").c_str());
    std::fflush(stdout);
    return code;
}
