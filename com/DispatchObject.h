#pragma once
// The base of every automation class: IUnknown with an atomic count, IDispatch over the
// type library (names and calls go through the interface's type information, so late-bound
// callers reach every member), ISupportErrorInfo, and INativeObject, through which the
// component recognises its own objects when a caller passes them back in.
#include <windows.h>
#include <oaidl.h>

#include "com/ComSupport.h"

namespace diags::com {

// {5B0D7C41-8E2A-4F6B-9C13-7A4E2D9B6F58}: private to the component, never registered.
inline constexpr IID IID_INativeObject = {0x5b0d7c41, 0x8e2a, 0x4f6b, {0x9c, 0x13, 0x7a, 0x4e, 0x2d, 0x9b, 0x6f, 0x58}};

class INativeObject : public IUnknown {
public:
    // The model object behind this COM object when it is of the given class (its CLSID, or
    // the collection interface's IID); null otherwise. Not a reference: valid while the
    // caller holds the COM object.
    virtual void* STDMETHODCALLTYPE Native(REFGUID kind) = 0;
};

// The object behind a variant, when it is one of ours of the given kind; else null.
template <class Model>
Model* NativeOf(const ComPtr<IUnknown>& object, REFGUID kind) noexcept {
    if (!object) return nullptr;
    const auto native = object.As<INativeObject>(IID_INativeObject);
    return native ? static_cast<Model*>(native->Native(kind)) : nullptr;
}

// One automation face per model object while that face lives, so a caller that reaches the
// same record twice (through a collection and through GetTraceSetting, say) gets the same
// object back and `Is` compares as it should. Keys are model addresses: a face holds its
// model, so an address cannot be reused while its entry exists.
class FaceRegistry {
public:
    // A face that can be revived only while its count is above zero.
    class Face {
    public:
        virtual bool TryAddRef() noexcept = 0;
        virtual IDispatch* Dispatch() noexcept = 0;

    protected:
        ~Face() = default;
    };
    // The living face of the model (with a new reference), or null.
    static ComPtr<IDispatch> Find(const void* model);
    static void Add(const void* model, Face* face);
    // Removes the entry if it still names this face.
    static void Remove(const void* model, Face* face) noexcept;
};

template <class Interface>
class DispatchObject : public Interface,
                       public ISupportErrorInfo,
                       public INativeObject,
                       public FaceRegistry::Face,
                       private CountedObject {
public:
    DispatchObject(REFIID iid, const char* source) noexcept : iid_(iid), source_(source) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, iid_) ||
            AlsoAnswers(riid))
            *out = static_cast<Interface*>(this);
        else if (IsEqualIID(riid, IID_ISupportErrorInfo))
            *out = static_cast<ISupportErrorInfo*>(this);
        else if (IsEqualIID(riid, IID_INativeObject))
            *out = static_cast<INativeObject*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }

    // IDispatch
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return TypeInfoFor(iid_, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = TypeInfoFor(iid_, info.Put());
        if (FAILED(hr)) return hr;
        return ::DispGetIDsOfNames(info.Get(), names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = TypeInfoFor(iid_, info.Put());
        if (FAILED(hr)) return hr;
        // A property put of an object is a put-reference in classic automation.
        return ::DispInvoke(static_cast<Interface*>(this), info.Get(), id, flags, params, result, exception,
                            argError);
    }

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return IsEqualIID(riid, iid_) ? S_OK : S_FALSE;
    }

    // INativeObject
    void* STDMETHODCALLTYPE Native(REFGUID) override { return nullptr; }

    // FaceRegistry::Face
    bool TryAddRef() noexcept override {
        ULONG current = references_.load();
        while (current != 0)
            if (references_.compare_exchange_weak(current, current + 1)) return true;
        return false;
    }
    IDispatch* Dispatch() noexcept override { return static_cast<Interface*>(this); }

protected:
    virtual bool AlsoAnswers(REFIID) const noexcept { return false; }
    const char* Source() const noexcept { return source_; }

    // Runs a member body with this class's error source.
    template <class Body>
    HRESULT Run(Body&& body) noexcept {
        return Guard(source_, std::forward<Body>(body));
    }

private:
    const IID& iid_;
    const char* source_;
};

// Property helpers: a put stores, a get returns what was stored.
inline HRESULT GetValue(bool value, VARIANT_BOOL* out) noexcept {
    if (!out) return E_POINTER;
    *out = ToVariantBool(value);
    return S_OK;
}
inline HRESULT GetValue(double value, double* out) noexcept {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}
inline HRESULT GetValue(std::int32_t value, long* out) noexcept {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}
inline HRESULT GetValue(std::int16_t value, short* out) noexcept {
    if (!out) return E_POINTER;
    *out = value;
    return S_OK;
}
inline HRESULT GetValue(const std::string& value, BSTR* out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Guard("DiagsConfig", [&] {
        *out = ToBstr(value);
        return S_OK;
    });
}
inline HRESULT PutValue(bool& field, VARIANT_BOOL value) noexcept {
    field = FromVariantBool(value);
    return S_OK;
}
template <class Field, class Value>
HRESULT PutValue(Field& field, Value value) noexcept {
    field = static_cast<Field>(value);
    return S_OK;
}
inline HRESULT PutValue(std::string& field, BSTR value) noexcept {
    return Guard("DiagsConfig", [&] {
        field = FromBstr(value);
        return S_OK;
    });
}

}  // namespace diags::com
