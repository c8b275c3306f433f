#pragma once
// Plumbing shared by the COM classes: the component's object and lock counts
// (DllCanUnloadNow), the type library, conversions between automation types and the model's,
// and the one boundary that turns a failure inside a member into an
// HRESULT with error information a script can show.
#include <windows.h>
#include <oleauto.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/RuntimeError.h"
#include "platform/win32/Owned.h"

namespace diags::com {

// The owning interface pointer lives with the other Win32 owners.
using platform::win32::ComPtr;

// ------------------------------------------------------------ object and lock counts
// Every object of the component (classes, collections, enumerators, error objects) counts
// from construction to destruction; LockServer counts separately.
class ModuleCounts {
public:
    static void ObjectCreated() noexcept { objects_.fetch_add(1); }
    static void ObjectDestroyed() noexcept { objects_.fetch_sub(1); }
    static void Lock(bool lock) noexcept { lock ? locks_.fetch_add(1) : locks_.fetch_sub(1); }
    static long Objects() noexcept { return objects_.load(); }
    static long Locks() noexcept { return locks_.load(); }

private:
    static inline std::atomic<long> objects_{0};
    static inline std::atomic<long> locks_{0};
};

// A counted base for every object the component hands out.
class CountedObject {
public:
    CountedObject() noexcept { ModuleCounts::ObjectCreated(); }
    virtual ~CountedObject() { ModuleCounts::ObjectDestroyed(); }
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;

protected:
    // The IUnknown reference count, shared by every class of the component: an object starts
    // with one reference and deletes itself when the last one is released.
    ULONG AddReference() noexcept { return ++references_; }
    ULONG ReleaseReference() noexcept {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    std::atomic<ULONG> references_{1};
};

// Creates a reference-counted object with one reference, or null when memory is short.
// Paired with the `delete this` of the object's final Release.
template <class T, class... Args>
ComPtr<T> MakeObject(Args&&... args) noexcept {
    try {
        return ComPtr<T>::Attach(new (std::nothrow) T(std::forward<Args>(args)...));
    } catch (...) {
        return nullptr;
    }
}

// ------------------------------------------------------------ module and type library
HMODULE ThisModule() noexcept;
std::wstring ModulePath();
// The type information of an interface of the embedded type library (the vtable-bound half
// of a dual interface), loaded on first use.
HRESULT TypeInfoFor(REFIID iid, ITypeInfo** info) noexcept;
// Drops the cached type library (when the component may be unloaded).
void ReleaseTypeLibrary() noexcept;

// ------------------------------------------------------------ conversions
std::string FromBstr(BSTR text);
// A new BSTR of the ANSI text; throws std::bad_alloc when none can be made.
BSTR ToBstr(std::string_view text);
inline VARIANT_BOOL ToVariantBool(bool value) noexcept { return value ? VARIANT_TRUE : VARIANT_FALSE; }
inline bool FromVariantBool(VARIANT_BOOL value) noexcept { return value != VARIANT_FALSE; }

// Follows by-reference variants to the value they stand for.
const VARIANT& Deref(const VARIANT& value) noexcept;
// True for a missing optional argument.
bool IsMissing(const VARIANT& value) noexcept;
// The object a variant holds (by value or reference), or null for Empty/Nothing; any other
// content is a type mismatch (error 13).
ComPtr<IUnknown> ObjectOf(const VARIANT& value);
// The text a variant holds (numbers converted); type mismatch when it cannot be a text.
std::string TextOf(const VARIANT& value);
// A zero-based variant array of the texts (what scripts can index and For Each).
HRESULT TextArray(const std::vector<std::string>& texts, VARIANT* result) noexcept;

// ------------------------------------------------------------ the member boundary
// A run-time error number as an HRESULT in the control facility, as scripts expect it
// (error 457 reads back as Err.Number 457).
inline HRESULT RuntimeErrorResult(std::int32_t number) noexcept {
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, static_cast<std::uint16_t>(number));
}
// Records error information for the calling thread (IErrorInfo) and returns the HRESULT.
HRESULT ReportError(HRESULT result, std::string_view source, std::string_view description) noexcept;

// Runs a member body: nothing escapes; a RuntimeError becomes its error number with the
// description as error information; a missing out pointer is E_POINTER.
template <class Body>
HRESULT Guard(std::string_view source, Body&& body) noexcept {
    try {
        ::SetErrorInfo(0, nullptr);
        return std::forward<Body>(body)();
    } catch (const RuntimeError& e) {
        return ReportError(RuntimeErrorResult(e.Number()), source, e.Description());
    } catch (const std::bad_alloc&) {
        return ReportError(E_OUTOFMEMORY, source, "Out of memory");
    } catch (const std::exception& e) {
        return ReportError(RuntimeErrorResult(err::kInternal), source, e.what());
    } catch (...) {
        return ReportError(E_UNEXPECTED, source, "Unexpected failure");
    }
}

}  // namespace diags::com
