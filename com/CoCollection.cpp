#include "com/CoCollection.h"

#include <functional>
#include <utility>

#include "com/Classes.h"
#include "com/DispatchObject.h"

namespace diags::com {

namespace {

constexpr const char* kSource = "DiagsConfig.Collection";

// An index is a key when it is text, otherwise a position.
struct Index {
    std::optional<std::string> key;
    std::int32_t position = 0;
};

Index ReadIndex(const VARIANT& value) {
    const VARIANT& v = Deref(value);
    if (V_VT(&v) == VT_BSTR) return {FromBstr(V_BSTR(&v)), 0};
    VARIANT number;
    ::VariantInit(&number);
    if (FAILED(::VariantChangeType(&number, const_cast<VARIANT*>(&v), 0, VT_I4)))
        throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    return {std::nullopt, V_I4(&number)};
}

void SetObject(ComPtr<IDispatch> object, VARIANT* out) {
    ::VariantInit(out);
    if (!object) throw std::bad_alloc();
    V_VT(out) = VT_DISPATCH;
    V_DISPATCH(out) = object.Detach();
}

// A live model collection of one class.
template <class T>
class TypedBackend final : public CollectionBackend {
public:
    using Wrap = ComPtr<IDispatch> (*)(std::shared_ptr<T>);
    using Unwrap = std::shared_ptr<T> (*)(const VARIANT&);
    TypedBackend(CollectionRef<T> collection, Wrap wrap, Unwrap unwrap)
        : collection_(std::move(collection)), wrap_(wrap), unwrap_(unwrap) {}

    std::int32_t Count() const override { return collection_->Count(); }
    void Add(const VARIANT& item, const std::optional<std::string>& key) override {
        std::shared_ptr<T> object = unwrap_(item);
        if (!object) ThrowObjectRequired();
        if (key) collection_->Add(std::move(object), *key);
        else collection_->Add(std::move(object));
    }
    void Item(const VARIANT& index, VARIANT* out) const override {
        const Index at = ReadIndex(index);
        SetObject(wrap_(at.key ? collection_->Item(*at.key) : collection_->Item(at.position)), out);
    }
    void Remove(const VARIANT& index) override {
        const Index at = ReadIndex(index);
        if (at.key) collection_->Remove(*at.key);
        else collection_->Remove(at.position);
    }
    std::shared_ptr<OwnedVariants> Snapshot() const override {
        auto owned = std::make_shared<OwnedVariants>();
        owned->items.reserve(static_cast<std::size_t>(collection_->Count()));
        for (const auto& object : *collection_) {
            owned->items.emplace_back();
            SetObject(wrap_(object), owned->items.back().get());
        }
        return owned;
    }
    CollectionRef<COutput> Outputs() const override {
        if constexpr (std::is_same_v<T, COutput>) return collection_;
        else if (collection_->Empty()) return NewCollection<COutput>();
        else throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    }
    CollectionRef<CDiagMapEntry> Entries() const override {
        if constexpr (std::is_same_v<T, CDiagMapEntry>) return collection_;
        else return CollectionBackend::Entries();
    }
    const void* Identity() const noexcept override { return collection_.get(); }

private:
    CollectionRef<T> collection_;
    Wrap wrap_;
    Unwrap unwrap_;
};

// One variant a script added, owned by the collection.
struct VariantSlot {
    platform::win32::OwnedVariant value;
};

// Anything a script adds: objects of any class, texts, numbers.
class ScriptBackend final : public CollectionBackend {
public:
    std::int32_t Count() const override { return items_.Count(); }
    void Add(const VARIANT& item, const std::optional<std::string>& key) override {
        auto slot = std::make_shared<VariantSlot>();
        if (FAILED(::VariantCopyInd(slot->value.get(), const_cast<VARIANT*>(&Deref(item)))))
            throw RuntimeError(err::kTypeMismatch, "Type mismatch");
        if (key) items_.Add(std::move(slot), *key);
        else items_.Add(std::move(slot));
    }
    void Item(const VARIANT& index, VARIANT* out) const override {
        const Index at = ReadIndex(index);
        const auto& slot = at.key ? items_.Item(*at.key) : items_.Item(at.position);
        ::VariantInit(out);
        if (FAILED(::VariantCopy(out, slot->value.get()))) throw std::bad_alloc();
    }
    void Remove(const VARIANT& index) override {
        const Index at = ReadIndex(index);
        if (at.key) items_.Remove(*at.key);
        else items_.Remove(at.position);
    }
    std::shared_ptr<OwnedVariants> Snapshot() const override {
        auto owned = std::make_shared<OwnedVariants>();
        owned->items.reserve(static_cast<std::size_t>(items_.Count()));
        for (const auto& slot : items_) {
            owned->items.emplace_back();
            if (FAILED(::VariantCopy(owned->items.back().get(), slot->value.get()))) throw std::bad_alloc();
        }
        return owned;
    }
    CollectionRef<COutput> Outputs() const override {
        auto outputs = NewCollection<COutput>();
        for (const auto& slot : items_) {
            std::shared_ptr<COutput> output = OutputOf(*slot->value.get());
            if (!output) throw RuntimeError(err::kTypeMismatch, "Type mismatch");
            outputs->Add(std::move(output));
        }
        return outputs;
    }

private:
    KeyedCollection<VariantSlot> items_;
};

// For Each over a snapshot of the items taken when the walk starts.
class Enumerator final : public IEnumVARIANT, private CountedObject {
public:
    explicit Enumerator(std::shared_ptr<OwnedVariants> items, std::size_t next = 0) noexcept
        : items_(std::move(items)), next_(next) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IEnumVARIANT)) return E_NOINTERFACE;
        *out = static_cast<IEnumVARIANT*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseReference(); }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        if (!out) return E_POINTER;
        ULONG done = 0;
        for (; done < count && next_ < items_->items.size(); ++done, ++next_) {
            ::VariantInit(&out[done]);
            ::VariantCopy(&out[done], items_->items[next_].get());
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const std::size_t left = items_->items.size() - next_;
        next_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        next_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** out) override {
        if (!out) return E_POINTER;
        *out = MakeObject<Enumerator>(items_, next_).Detach();
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    std::shared_ptr<OwnedVariants> items_;
    std::size_t next_;
};

class CoCollection final : public DispatchObject<_KeyedCollection> {
public:
    explicit CoCollection(std::unique_ptr<CollectionBackend> backend) noexcept
        : DispatchObject(IID__KeyedCollection, kSource), backend_(std::move(backend)) {}
    ~CoCollection() override {
        if (const void* identity = backend_->Identity()) FaceRegistry::Remove(identity, this);
    }

    HRESULT STDMETHODCALLTYPE Add(VARIANT item, VARIANT key, VARIANT before, VARIANT after) override {
        return Run([&] {
            if (!IsMissing(before) || !IsMissing(after))
                throw RuntimeError(err::kInvalidCall, "Before and After are not supported by this collection");
            std::optional<std::string> text;
            if (!IsMissing(key)) text = TextOf(key);
            backend_->Add(item, text);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Count(long* count) override {
        if (!count) return E_POINTER;
        *count = backend_->Count();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT index, VARIANT* item) override {
        if (!item) return E_POINTER;
        ::VariantInit(item);
        return Run([&] {
            backend_->Item(index, item);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT index) override {
        return Run([&] {
            backend_->Remove(index);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown** enumerator) override {
        if (!enumerator) return E_POINTER;
        *enumerator = nullptr;
        return Run([&] {
            *enumerator = MakeObject<Enumerator>(backend_->Snapshot()).Detach();
            return *enumerator ? S_OK : E_OUTOFMEMORY;
        });
    }
    void* STDMETHODCALLTYPE Native(REFGUID kind) override {
        return IsEqualGUID(kind, IID__KeyedCollection) ? backend_.get() : nullptr;
    }

private:
    std::unique_ptr<CollectionBackend> backend_;
};

}  // namespace

CollectionRef<CDiagMapEntry> CollectionBackend::Entries() const {
    throw RuntimeError(err::kTypeMismatch, "Type mismatch");
}

std::unique_ptr<CollectionBackend> OutputCollectionBackend(CollectionRef<COutput> collection) {
    return std::make_unique<TypedBackend<COutput>>(std::move(collection), &WrapOutput, &OutputOf);
}
std::unique_ptr<CollectionBackend> TraceSettingCollectionBackend(CollectionRef<CTraceSetting> collection) {
    return std::make_unique<TypedBackend<CTraceSetting>>(std::move(collection), &WrapTraceSetting, &TraceSettingOf);
}
std::unique_ptr<CollectionBackend> EntryCollectionBackend(CollectionRef<CDiagMapEntry> collection) {
    return std::make_unique<TypedBackend<CDiagMapEntry>>(std::move(collection), &WrapMapEntry, &MapEntryOf);
}
std::unique_ptr<CollectionBackend> ScriptCollectionBackend() { return std::make_unique<ScriptBackend>(); }

ComPtr<IDispatch> MakeCollection(std::unique_ptr<CollectionBackend> backend) noexcept {
    if (!backend) return nullptr;
    const void* identity = backend->Identity();
    if (identity) {
        try {
            if (ComPtr<IDispatch> living = FaceRegistry::Find(identity)) return living;
        } catch (...) {
            return nullptr;
        }
    }
    ComPtr<CoCollection> object = MakeObject<CoCollection>(std::move(backend));
    if (!object) return nullptr;
    if (identity) {
        try {
            FaceRegistry::Add(identity, object.Get());
        } catch (...) {
            return nullptr;
        }
    }
    return ComPtr<IDispatch>::Attach(static_cast<_KeyedCollection*>(object.Detach()));
}

CollectionBackend* BackendOf(const VARIANT& value, ComPtr<IUnknown>& holder) {
    holder = ObjectOf(value);
    if (!holder) return nullptr;
    auto* backend = NativeOf<CollectionBackend>(holder, IID__KeyedCollection);
    if (!backend) throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    return backend;
}

}  // namespace diags::com
