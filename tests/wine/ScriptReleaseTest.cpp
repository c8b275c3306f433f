// A script that uses every class by ProgID and then lets go of everything leaves no object of
// the component alive: the VBScript engine runs in this process, so the server's own count
// (DllCanUnloadNow) can be read afterwards.
#include "ServerHarness.h"

#include <initguid.h>  // defines the script engine IIDs in this file
#include <activscp.h>

namespace diags::com::testing {
namespace {

// The host side of the script engine: no named items; records the first script error.
class ScriptSite final : public IActiveScriptSite {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IActiveScriptSite)) return E_NOINTERFACE;
        *out = static_cast<IActiveScriptSite*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetLCID(LCID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR, DWORD, IUnknown**, ITypeInfo**) override {
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* error) override {
        OwnedExcepInfo info;
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        error->GetExceptionInfo(info.put());
        error->GetSourcePosition(&context, &line, &column);
        if (errorText.empty())
            errorText = "line " + std::to_string(line + 1) + ": " + FromBstr(info->bstrDescription);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

    std::string errorText;
};

// Runs VBScript code to its end in a fresh engine, which is closed and released afterwards.
std::string RunScript(const wchar_t* code) {
    ScriptSite site;
    CLSID engineClass{};
    if (FAILED(::CLSIDFromProgID(L"VBScript", &engineClass))) return "no VBScript engine";
    ComPtr<IActiveScript> engine;
    if (FAILED(::CoCreateInstance(engineClass, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                                  reinterpret_cast<void**>(engine.Put()))))
        return "the VBScript engine could not be created";
    auto parser = engine.As<IActiveScriptParse>(IID_IActiveScriptParse);
    if (!parser || FAILED(engine->SetScriptSite(&site)) || FAILED(parser->InitNew())) return "engine set-up failed";
    OwnedExcepInfo exception;  // a parse error is reported to the site as well
    parser->ParseScriptText(code, nullptr, nullptr, nullptr, 0, 0, 0, nullptr, exception.put());
    engine->SetScriptState(SCRIPTSTATE_STARTED);
    engine->Close();
    return site.errorText;
}

// The script creates the classes by ProgID, so the server registers itself first (regsvr32's
// keys are checked by scripts/test-wine.sh) and unregisters afterwards.
class ScriptRelease : public WithServer {};

TEST_F(ScriptRelease, EveryObjectIsGoneOnceTheScriptLetsGoAndUnregisteringTwiceIsHarmless) {
    ASSERT_EQ(S_OK, server_.Register());
    const std::string error = RunScript(LR"(
        Set m = CreateObject("DiagsConfig.CDiagMap")
        m.InitializeDiagMapDefs
        Set outputs = m.EditorTraceSettings
        For Each moduleName In m.EditorMapRows
            If moduleName <> "" Then
                Set o = CreateObject("DiagsConfig.COutput")
                o.Parent = moduleName : o.Name = "Trace" : o.Key = moduleName & "Trace"
                outputs.Add o, o.Key
            End If
        Next
        m.PopulateCheckedMap outputs
        On Error Resume Next
        m.GetTraceSetting("Report Editor").AddOutput outputs(1)  ' a failure leaves an error object behind
        On Error GoTo 0
        For Each t In m.AllTraceSettings
            t.RemoveLinkedOutputs
        Next
        For Each o In outputs
            o.RemoveLinkedTraceSettings
        Next
        Set entries = CreateObject("DiagsConfig.CDiagMapEntries")
        Set entry = CreateObject("DiagsConfig.CDiagMapEntry")
        entries.Add entry, "k"
        Set ts = entry.TraceSetting
        Set d = CreateObject("DiagsConfig.CDiagnosticsConfig")
        r = d.ConfigureDiagnostics(e)
        r = d.ConfigureDiagnostics(e)
        If r <> 3 Or Not IsObject(e) Then Err.Raise 1002, "test", "second call"
    )");
    EXPECT_EQ("", error);
    EXPECT_EQ(S_OK, server_.CanUnloadNow());
    EXPECT_EQ(S_OK, server_.Unregister());
    EXPECT_EQ(S_OK, server_.Unregister());
}

}  // namespace
}  // namespace diags::com::testing
