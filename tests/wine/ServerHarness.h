#pragma once
// Loads DiagsConfig.dll from beside the test executable and calls its exported entry points,
// as the COM runtime does; no registration needed.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "com/ComSupport.h"
#include "com/DiagsConfig.h"

namespace diags::com::testing {

class Server {
public:
    Server() : module_(::LoadLibraryA("DiagsConfig.dll")) {
        getClassObject_ = Entry<GetClassObjectFn>("DllGetClassObject");
        canUnloadNow_ = Entry<Simple>("DllCanUnloadNow");
        register_ = Entry<Simple>("DllRegisterServer");
        unregister_ = Entry<Simple>("DllUnregisterServer");
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool Loaded() const { return module_ && getClassObject_ && canUnloadNow_ && register_ && unregister_; }
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const { return getClassObject_(clsid, iid, out); }
    HRESULT CanUnloadNow() const { return canUnloadNow_(); }
    HRESULT Register() const { return register_(); }
    HRESULT Unregister() const { return unregister_(); }

    // The object, or the test ends at once with the failing HRESULT: GoogleTest reports the
    // exception as the test's failure, so no test goes on to call through a null pointer.
    template <class T>
    ComPtr<T> Create(REFCLSID clsid, REFIID iid) const {
        ComPtr<IClassFactory> factory;
        Require("DllGetClassObject", GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())));
        ComPtr<T> object;
        Require("IClassFactory::CreateInstance",
                factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(object.Put())));
        return object;
    }

private:
    static void Require(const char* call, HRESULT hr) {
        if (hr == S_OK) return;
        char text[96];
        std::snprintf(text, sizeof text, "%s failed with HRESULT 0x%08lX", call, static_cast<unsigned long>(hr));
        throw std::runtime_error(text);
    }
    template <class Fn>
    Fn Entry(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module_.get(), name)));
    }
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    using Simple = HRESULT(STDAPICALLTYPE*)();
    // Declared first: COM is started before the module loads and stopped after it is freed.
    platform::win32::ComApartment apartment_;
    platform::win32::OwnedModule module_;
    GetClassObjectFn getClassObject_ = nullptr;
    Simple canUnloadNow_ = nullptr, register_ = nullptr, unregister_ = nullptr;
};

// Every suite's fixture: the server loaded, or the test stops before touching it.
class WithServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server_.Loaded()); }
    Server server_;
};

// The entry class's interface identity in its earlier release, kept for the clients built then.
constexpr IID kEarlierEntryInterface = {0x51e525f6, 0x9e7b, 0x411d, {0x96, 0x09, 0xfb, 0x45, 0x9a, 0x06, 0xa3, 0xe0}};

using platform::win32::OwnedBstr;
using platform::win32::OwnedExcepInfo;
using platform::win32::OwnedVariant;

}  // namespace diags::com::testing
