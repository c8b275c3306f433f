#pragma once
// Loads DiagsConfig.dll from beside the test executable and calls its exported entry points,
// as the COM runtime does; no registration needed.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

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

    template <class T>
    ComPtr<T> Create(REFCLSID clsid, REFIID iid) const {
        ComPtr<IClassFactory> factory;
        EXPECT_EQ(S_OK, GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())));
        ComPtr<T> object;
        if (factory) {
            EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(object.Put())));
        }
        return object;
    }

private:
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

using platform::win32::OwnedBstr;
using platform::win32::OwnedExcepInfo;
using platform::win32::OwnedKey;
using platform::win32::OwnedVariant;

}  // namespace diags::com::testing
