#pragma once
// Between model objects and their automation faces, for the class implementations.
#include "com/ComSupport.h"
#include "com/DispatchObject.h"

namespace diags::com {

// The model object behind a passed-in object of the given class; null for Nothing/Empty;
// type mismatch for anything else.
template <class Model>
std::shared_ptr<Model> ModelOf(const VARIANT& value, REFGUID kind) {
    const ComPtr<IUnknown> object = ObjectOf(value);
    if (!object) return nullptr;
    auto* model = NativeOf<std::shared_ptr<Model>>(object, kind);
    if (!model) throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    return *model;
}

// The automation face of a model object: the living one, or a new one (null for null).
template <class Co, class Interface, class Model>
ComPtr<IDispatch> Wrap(std::shared_ptr<Model> model) {
    if (!model) return nullptr;
    const void* key = model.get();
    if (ComPtr<IDispatch> living = FaceRegistry::Find(key)) return living;
    ComPtr<Co> object = MakeObject<Co>(std::move(model));
    if (!object) throw std::bad_alloc();
    FaceRegistry::Add(key, object.Get());
    return ComPtr<IDispatch>::Attach(static_cast<Interface*>(object.Detach()));
}

// A face registered under its model leaves the registry with its last reference.
template <class Base, class Model>
class RegisteredFace : public Base {
public:
    RegisteredFace(REFIID iid, const char* source, std::shared_ptr<Model> model) noexcept
        : Base(iid, source), model_(std::move(model)) {}
    ~RegisteredFace() override { FaceRegistry::Remove(model_.get(), this); }

protected:
    std::shared_ptr<Model> model_;
};

// Hands a new object to a creator's out parameter under the asked interface.
inline HRESULT Hand(ComPtr<IDispatch> object, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!object) return E_OUTOFMEMORY;
    return object->QueryInterface(iid, out);
}

}  // namespace diags::com
