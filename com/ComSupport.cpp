#include "com/ComSupport.h"

#include <mutex>
#include <unordered_map>
#include <vector>

#include "com/DispatchObject.h"

#include "platform/win32/Win32Parts.h"

namespace diags::com {

namespace {

std::mutex gTypeLibMutex;
ComPtr<ITypeLib> gTypeLib;  // guarded by gTypeLibMutex

}  // namespace

HMODULE ThisModule() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT TypeInfoFor(REFIID iid, ITypeInfo** info) noexcept {
    if (!info) return E_POINTER;
    *info = nullptr;
    try {
        ComPtr<ITypeLib> library;
        {
            const std::lock_guard lock(gTypeLibMutex);
            if (!gTypeLib) {
                const HRESULT hr = ::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, gTypeLib.Put());
                if (FAILED(hr)) return hr;
            }
            library = gTypeLib;
        }
        ComPtr<ITypeInfo> found;
        HRESULT hr = library->GetTypeInfoOfGuid(iid, found.Put());
        if (FAILED(hr)) return hr;
        // A dual interface is found as its dispatch half; calls go through the vtable half.
        TYPEATTR* attributes = nullptr;
        hr = found->GetTypeAttr(&attributes);
        if (FAILED(hr)) return hr;
        const bool dual = attributes->typekind == TKIND_DISPATCH && (attributes->wTypeFlags & TYPEFLAG_FDUAL);
        found->ReleaseTypeAttr(attributes);
        if (dual) {
            HREFTYPE reference = 0;
            ComPtr<ITypeInfo> vtable;
            if (SUCCEEDED(found->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)) &&
                SUCCEEDED(found->GetRefTypeInfo(reference, vtable.Put())))
                found = vtable;
        }
        *info = found.Detach();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

namespace {

std::mutex gFacesMutex;
std::unordered_map<const void*, FaceRegistry::Face*> gFaces;  // guarded by gFacesMutex

}  // namespace

ComPtr<IDispatch> FaceRegistry::Find(const void* model) {
    const std::lock_guard lock(gFacesMutex);
    const auto it = gFaces.find(model);
    if (it == gFaces.end() || !it->second->TryAddRef()) return nullptr;
    return ComPtr<IDispatch>::Attach(it->second->Dispatch());
}

void FaceRegistry::Add(const void* model, Face* face) {
    const std::lock_guard lock(gFacesMutex);
    gFaces[model] = face;
}

void FaceRegistry::Remove(const void* model, Face* face) noexcept {
    const std::lock_guard lock(gFacesMutex);
    const auto it = gFaces.find(model);
    if (it != gFaces.end() && it->second == face) gFaces.erase(it);
}

void ReleaseTypeLibrary() noexcept {
    const std::lock_guard lock(gTypeLibMutex);
    gTypeLib.Reset();
}

std::string FromBstr(BSTR text) {
    if (!text) return {};
    return platform::win32::ToAnsi(std::wstring_view(text, ::SysStringLen(text)));
}

BSTR ToBstr(std::string_view text) {
    const std::wstring wide = platform::win32::FromAnsi(text);
    BSTR result = ::SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!result) throw std::bad_alloc();
    return result;
}

const VARIANT& Deref(const VARIANT& value) noexcept {
    const VARIANT* current = &value;
    while (V_VT(current) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(current)) current = V_VARIANTREF(current);
    return *current;
}

bool IsMissing(const VARIANT& value) noexcept {
    const VARIANT& v = Deref(value);
    return V_VT(&v) == VT_ERROR && V_ERROR(&v) == DISP_E_PARAMNOTFOUND;
}

ComPtr<IUnknown> ObjectOf(const VARIANT& value) {
    const VARIANT& v = Deref(value);
    IUnknown* object = nullptr;
    switch (V_VT(&v)) {
        case VT_EMPTY: case VT_NULL: return nullptr;
        case VT_DISPATCH: object = V_DISPATCH(&v); break;
        case VT_UNKNOWN: object = V_UNKNOWN(&v); break;
        case VT_BYREF | VT_DISPATCH: object = V_DISPATCHREF(&v) ? *V_DISPATCHREF(&v) : nullptr; break;
        case VT_BYREF | VT_UNKNOWN: object = V_UNKNOWNREF(&v) ? *V_UNKNOWNREF(&v) : nullptr; break;
        default: throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    }
    ComPtr<IUnknown> result;
    if (object) object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(result.Put()));
    return result;
}

std::string TextOf(const VARIANT& value) {
    const VARIANT& v = Deref(value);
    if (V_VT(&v) == VT_BSTR) return FromBstr(V_BSTR(&v));
    platform::win32::OwnedVariant text;
    if (FAILED(::VariantChangeType(text.get(), const_cast<VARIANT*>(&v), 0, VT_BSTR)))
        throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    return FromBstr(V_BSTR(text.get()));
}

HRESULT TextArray(const std::vector<std::string>& texts, VARIANT* result) noexcept {
    if (!result) return E_POINTER;
    ::VariantInit(result);
    platform::win32::OwnedSafeArray array(::SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(texts.size())));
    if (!array) return E_OUTOFMEMORY;
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i) {
        platform::win32::OwnedVariant item;
        try {
            V_BSTR(item.get()) = ToBstr(texts[static_cast<std::size_t>(i)]);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        V_VT(item.get()) = VT_BSTR;
        const HRESULT hr = ::SafeArrayPutElement(array.get(), &i, item.get());  // copies the text
        if (FAILED(hr)) return hr;
    }
    V_VT(result) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(result) = array.release();
    return S_OK;
}

HRESULT ReportError(HRESULT result, std::string_view source, std::string_view description) noexcept {
    ComPtr<ICreateErrorInfo> create;
    if (SUCCEEDED(::CreateErrorInfo(create.Put()))) {
        try {
            const std::wstring wideSource = platform::win32::FromAnsi(source);
            const std::wstring wideText = platform::win32::FromAnsi(description);
            create->SetSource(const_cast<LPOLESTR>(wideSource.c_str()));
            create->SetDescription(const_cast<LPOLESTR>(wideText.c_str()));
            create->SetGUID(GUID_NULL);
            const auto info = create.As<IErrorInfo>(IID_IErrorInfo);
            if (info) ::SetErrorInfo(0, info.Get());
        } catch (...) {
        }
    }
    return result;
}

}  // namespace diags::com
