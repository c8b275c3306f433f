// The in-process server: class objects, the four exported entry points, and registration of
// the type library and the six classes (CLSID with InprocServer32/Apartment, ProgID,
// TypeLib). Unregistration removes exactly what registration added.
#include <windows.h>
#include <olectl.h>

#include <array>
#include <string>

#include "com/Classes.h"
#include "com/DispatchObject.h"
#include "component/CDiagnosticsConfig.h"
#include "platform/win32/Owned.h"

namespace diags::com {

namespace {

using Creator = HRESULT (*)(REFIID, void**) noexcept;

struct ClassEntry {
    const CLSID* clsid;
    const char* name;
    Creator create;
};

const std::array<ClassEntry, 6> kClasses = {{
    {&CLSID_CDiagnosticsConfig, "CDiagnosticsConfig", &CreateDiagnosticsConfig},
    {&CLSID_COutput, "COutput", &CreateOutput},
    {&CLSID_CDiagMap, "CDiagMap", &CreateDiagMap},
    {&CLSID_CDiagMapEntries, "CDiagMapEntries", &CreateDiagMapEntries},
    {&CLSID_CDiagMapEntry, "CDiagMapEntry", &CreateDiagMapEntry},
    {&CLSID_CTraceSetting, "CTraceSetting", &CreateTraceSetting},
}};

constexpr const char* kLibraryVersion = "1.1";

// One class object per class, living as long as the module; its reference count does not
// keep the module loaded (LockServer does).
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(Creator create) noexcept : create_(create) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(riid, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        ModuleCounts::Lock(lock != FALSE);
        return S_OK;
    }

private:
    Creator create_;
};

std::string GuidText(const GUID& guid) {
    wchar_t wide[40] = {};
    ::StringFromGUID2(guid, wide, 40);
    std::string text;
    for (const wchar_t* p = wide; *p; ++p) text += static_cast<char>(*p);
    return text;
}

std::string ModulePathAnsi() {
    std::string path(MAX_PATH, '\0');
    const DWORD length = ::GetModuleFileNameA(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path;
}

// Writes one string value (name empty = the key's default value), creating the key.
bool SetText(const std::string& keyPath, const char* name, const std::string& value) {
    platform::win32::OwnedKey key;
    if (::RegCreateKeyExA(HKEY_CLASSES_ROOT, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return ::RegSetValueExA(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

void DeleteTree(const std::string& keyPath) { ::RegDeleteTreeA(HKEY_CLASSES_ROOT, keyPath.c_str()); }

bool RegisterClassKeys(const ClassEntry& entry, const std::string& modulePath) {
    const std::string clsid = GuidText(*entry.clsid);
    const std::string progId = std::string("DiagsConfig.") + entry.name;
    const std::string classKey = "CLSID\\" + clsid;
    return SetText(classKey, nullptr, progId) && SetText(classKey + "\\InprocServer32", nullptr, modulePath) &&
           SetText(classKey + "\\InprocServer32", "ThreadingModel", "Apartment") &&
           SetText(classKey + "\\ProgID", nullptr, progId) &&
           SetText(classKey + "\\TypeLib", nullptr, GuidText(LIBID_DiagsConfig)) &&
           SetText(classKey + "\\VERSION", nullptr, kLibraryVersion) && SetText(progId, nullptr, progId) &&
           SetText(progId + "\\CLSID", nullptr, clsid);
}

// On 64-bit Windows each bitness registers its classes in its own view of HKCR\CLSID, while
// the ProgID keys are shared by both views. A ProgID is removed only when the other view no
// longer registers the class, so unregistering one build leaves the other creatable by name.
bool OtherViewRegisters(const std::string& classKey) {
#ifdef _WIN64
    constexpr REGSAM kOtherView = KEY_WOW64_32KEY;
#else
    constexpr REGSAM kOtherView = KEY_WOW64_64KEY;  // ignored on 32-bit Windows: this view
#endif
    platform::win32::OwnedKey key;
    return ::RegOpenKeyExA(HKEY_CLASSES_ROOT, (classKey + "\\InprocServer32").c_str(), 0, KEY_READ | kOtherView,
                           key.put()) == ERROR_SUCCESS;
}

void UnregisterClassKeys(const ClassEntry& entry) {
    const std::string classKey = "CLSID\\" + GuidText(*entry.clsid);
    DeleteTree(classKey);
    if (!OtherViewRegisters(classKey)) DeleteTree(std::string("DiagsConfig.") + entry.name);
}

#ifdef _WIN64
constexpr SYSKIND kSysKind = SYS_WIN64;
constexpr const char* kPlatformKey = "win64";
#else
constexpr SYSKIND kSysKind = SYS_WIN32;
constexpr const char* kPlatformKey = "win32";
#endif

void UnregisterAll() noexcept {
    bool otherBuildStays = false;
    try {
        for (const ClassEntry& entry : kClasses) UnregisterClassKeys(entry);
        otherBuildStays = OtherViewRegisters("CLSID\\" + GuidText(*kClasses[0].clsid));
        // The type library's key is shared by both views, and unregistering it removes the
        // interfaces' keys of both views too: while the other build stays registered, only
        // this build's own entry of the type library goes.
        if (otherBuildStays)
            DeleteTree("TypeLib\\" + GuidText(LIBID_DiagsConfig) + "\\1.1\\409\\" + kPlatformKey);
    } catch (...) {
    }
    if (!otherBuildStays) ::UnRegisterTypeLib(LIBID_DiagsConfig, 1, 1, 0x409, kSysKind);
}

}  // namespace

}  // namespace diags::com

using namespace diags::com;

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // The component's start-up procedure runs once, when the component is first used.
    static const bool started = (diags::Main(), true);
    (void)started;
    static std::array<ClassFactory, kClasses.size()> factories = {
        ClassFactory(kClasses[0].create), ClassFactory(kClasses[1].create), ClassFactory(kClasses[2].create),
        ClassFactory(kClasses[3].create), ClassFactory(kClasses[4].create), ClassFactory(kClasses[5].create)};
    for (std::size_t i = 0; i < kClasses.size(); ++i)
        if (IsEqualCLSID(clsid, *kClasses[i].clsid)) return factories[i].QueryInterface(riid, out);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    if (ModuleCounts::Objects() != 0 || ModuleCounts::Locks() != 0) return S_FALSE;
    ReleaseTypeLibrary();
    return S_OK;
}

STDAPI DllRegisterServer() {
    try {
        std::wstring widePath = ModulePath();
        ComPtr<ITypeLib> library;
        HRESULT hr = ::LoadTypeLibEx(widePath.c_str(), REGKIND_NONE, library.Put());
        if (FAILED(hr)) return SELFREG_E_TYPELIB;
        hr = ::RegisterTypeLib(library.Get(), widePath.data(), nullptr);
        if (FAILED(hr)) return SELFREG_E_TYPELIB;
        const std::string modulePath = ModulePathAnsi();
        for (const ClassEntry& entry : kClasses) {
            if (!RegisterClassKeys(entry, modulePath)) {
                UnregisterAll();  // leave nothing half registered
                return SELFREG_E_CLASS;
            }
        }
        return S_OK;
    } catch (...) {
        UnregisterAll();
        return SELFREG_E_CLASS;
    }
}

STDAPI DllUnregisterServer() {
    UnregisterAll();
    return S_OK;
}

}  // extern "C"
