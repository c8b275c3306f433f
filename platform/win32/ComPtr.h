#pragma once
// An owning COM interface pointer: releases its reference when it goes out of scope. Copies
// add a reference of their own; moves hand it over.
#include <objbase.h>

#include <cstddef>
#include <utility>

namespace diags::platform::win32 {

template <class T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(std::nullptr_t) noexcept {}
    // Takes over a reference the caller already owns.
    static ComPtr Attach(T* raw) noexcept {
        ComPtr p;
        p.ptr_ = raw;
        return p;
    }
    // Adds a reference of its own.
    static ComPtr Share(T* raw) noexcept {
        if (raw) raw->AddRef();
        return Attach(raw);
    }
    ComPtr(const ComPtr& other) noexcept : ptr_(other.ptr_) { if (ptr_) ptr_->AddRef(); }
    ComPtr(ComPtr&& other) noexcept : ptr_(std::exchange(other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(ptr_, other.ptr_);
        return *this;
    }
    ~ComPtr() { Reset(); }

    void Reset() noexcept {
        if (T* p = std::exchange(ptr_, nullptr)) p->Release();
    }
    T* Get() const noexcept { return ptr_; }
    T* operator->() const noexcept { return ptr_; }
    explicit operator bool() const noexcept { return ptr_ != nullptr; }
    // Hands the reference to the caller (an out parameter).
    T* Detach() noexcept { return std::exchange(ptr_, nullptr); }
    // For functions that fill an out parameter; releases what was held.
    T** Put() noexcept {
        Reset();
        return &ptr_;
    }
    template <class U>
    ComPtr<U> As(REFIID iid) const noexcept {
        ComPtr<U> result;
        if (ptr_) ptr_->QueryInterface(iid, reinterpret_cast<void**>(result.Put()));
        return result;
    }

private:
    T* ptr_ = nullptr;
};

}  // namespace diags::platform::win32
