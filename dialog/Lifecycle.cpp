// Start, exit question, unload and the dialog's result.
#include <array>

#include "base/RuntimeError.h"
#include "base/ScopedValue.h"
#include "base/Text.h"
#include "common/General.h"
#include "common/modCommonFunctions.h"
#include "dialog/frmDiagsConfig.h"
#include "forms/CMousePointer.h"
#include "dialog/modToolMenu.h"
#include "platform/Platform.h"
#include "services/MessageService.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"
#include "services/SharedGlobals.h"

namespace diags {

namespace {

constexpr std::int32_t kThisProduct = 6;

// The dialog cannot start without the error log: it is always written, and every save
// stores it. The message names the key and the repair.
[[noreturn]] void ThrowNoErrorLog() {
    throw RuntimeError(err::kSubscript,
                       "The log configuration \"" + hostconfig::DefaultRootKey() + "\" has no key \"" +
                           std::string(nodekey::kErrorLog) +
                           "\" for the error log. Run \"diagsconfig repair\" to restore it with its default "
                           "settings, then open the dialog again.");
}

// Puts the default pointer back however the start ends.
struct DefaultPointerOnExit {
    ~DefaultPointerOnExit() { CMousePointer::SetScreenPointer(platform::pointer::kDefault); }
};

}  // namespace

void frmDiagsConfig::ReportError(const ErrorRef& error) {
    try {
        const std::string text = ResourceStrings::Instance().GetString(dlgres::kErrorTitle);
        SharedGlobals::Instance().ShowError(error, platform::mb::kCritical, "", text);
    } catch (...) {
        // Nothing more can be done for the user than the attempt to tell them.
    }
}

ResultCode frmDiagsConfig::FormLoad(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "FormLoad", oError, [&]() -> ResultCode {
        DefaultPointerOnExit restorePointer;
        CMousePointer::SetScreenPointer(platform::pointer::kHourglass);

        if (SharedGlobals::Instance().GetHelpFile(kThisProduct, msHelpFile, oError) != ResultCode::Success)
            return ResultCode::Failure;
        mlHelpContextId = helpctx::kAfterLoad;
        if (InitImageList(oError) == ResultCode::Failure) return ResultCode::Failure;
        tvModules.SetImageList(&ilsSmall);

        SetIcon(ResourceStrings::Instance().LoadPictureRes(dlgres::kDialogIcon, 16, 16));
        SetFormIcon(hWnd(), Icon()->NativeHandle());

        mnActiveTab = kTraceTabActive;
        mbEventsEnabled = true;
        if (PopulateCaptions(oError) == ResultCode::Failure) return ResultCode::Failure;
        if (SetMenuButtons(abMenuBar, oError) == ResultCode::Failure) return ResultCode::Failure;
        float split = static_cast<float>(picSplitter.Left());
        SizeControls(split);
        std::int32_t fontMode = 0;
        ApplyFormFont(Controls(), fontMode);

        if (FillModulesTree(oError) == ResultCode::Failure) return ResultCode::Failure;
        // The fill showed a record of the module tree; the trace tab shown first shows its own.
        RestoreTraceTabValues();
        if (PopulateTraceTree(oError) == ResultCode::Failure) return ResultCode::Failure;
        if (ConsolidateTraceSettings(oError) == ResultCode::Failure) return ResultCode::Failure;
        if (ApplyAllTraceSettings2Interface(oError) == ResultCode::Failure) return ResultCode::Failure;
        if (CheckRootTraceNode(oError) == ResultCode::Failure) return ResultCode::Failure;

        // The error log is always written: switched on here, saved with the next save.
        if (!mcolOutputs) ThrowObjectRequired();
        if (!mcolOutputs->Contains(nodekey::kErrorLog)) ThrowNoErrorLog();
        const std::shared_ptr<COutput>& errorLog = mcolOutputs->Item(nodekey::kErrorLog);
        if (!errorLog->LogToFile) {
            msCurrentNode = std::string(nodekey::kErrorLog);
            errorLog->LogToFile = true;
            errorLog->DirtyFlag = true;
        }

        platform::WindowHandle modulesWindow = tvModules.hWnd();
        SetTreeNoToolTips(modulesWindow, false);
        platform::WindowHandle traceWindow = tvTrace.hWnd();
        SetTreeNoToolTips(traceWindow, false);
        tvModules.SetVisible(false);

        CMousePointer::SetScreenPointer(platform::pointer::kDefault);
        ReportUnreadableValues();
        ShowModal();
        return mnResult;
    });
}

void frmDiagsConfig::ReportUnreadableValues() {
    std::string list;
    for (const std::shared_ptr<COutput>& output : *mcolOutputs) {
        const auto unread = mUnreadable.find(output.get());
        if (unread == mUnreadable.end()) continue;
        list += EqualsNoCase(output->Key, nodekey::kErrorLog) ? output->Name : output->Parent + "\\" + output->Name;
        std::string names;
        for (const std::int32_t index : unread->second)
            names += (names.empty() ? "" : ", ") + std::string(hostconfig::PropertyValueName(index));
        list += ": " + names + "\n";
    }
    if (list.empty()) return;
    list.pop_back();
    try {
        ResourceStrings& strings = ResourceStrings::Instance();
        const std::array<std::string, 1> args{list};
        platform::Current().interaction->ShowMessage(
            MessageService::FormatMessage(strings.GetString(dlgres::kUnreadableValues), args),
            platform::mb::kInformation, strings.GetString(dlgres::kDialogTitle));
    } catch (...) {
        // The dialog still opens: the values are shown empty either way.
    }
}

void frmDiagsConfig::Form_Activate() {
    ErrorRef error;
    RunProcedure(kDialogModule, "Form_Activate", error, [&] {
        // Only the first activation: the window is activated again after every message box,
        // and edits made before one must still be asked about when the dialog closes.
        if (!mbActivated) mbSaved = true;
        mbActivated = true;
        return ResultCode::Success;
    });
}

std::int32_t frmDiagsConfig::ProcessExit() {
    std::int32_t answer = 0;
    ErrorRef localError;
    TraceIfLogger(level::kFunction, kFunctionEnter, kDialogModule, "ProcessExit");
    if (!exitGuard_) {
        ScopedValue<bool> guard(exitGuard_, true);
        const ResultCode outcome = CatchRuntimeErrors(
            [&]() -> ResultCode {
                if (mbSaved) {
                    Unload();
                    answer = 0;
                    return ResultCode::Success;
                }
                ResourceStrings& strings = ResourceStrings::Instance();
                answer = platform::Current().interaction->ShowMessage(
                    strings.GetString(dlgres::kExitQuestion), platform::mb::kQuestionYesNoCancel,
                    strings.GetString(dlgres::kExitTitle));
                if (answer == platform::mb::kYes) {
                    const ResultCode saved = SaveGUIValues(localError);
                    if (saved == ResultCode::Success) {
                        mnResult = ResultCode::Success;
                        Unload();
                    } else if (saved == ResultCode::Failure) {
                        mnResult = ResultCode::Failure;
                        return ResultCode::Failure;
                    } else if (saved == ResultCode::Stopped) {
                        // The save stopped (the user cancelled a question or was told a
                        // name is missing): nothing was saved, so the dialog stays open.
                        answer = platform::mb::kCancel;
                    }
                } else if (answer == platform::mb::kNo) {
                    mnResult = ResultCode::Stopped;
                    Unload();
                }
                return ResultCode::Success;
            },
            [&](std::int32_t number, std::string_view description, std::int32_t line) {
                localError = MakeError(kDialogModule, "ProcessExit", number, description, line);
                return ResultCode::Failure;
            });
        if (outcome == ResultCode::Failure) {
            ReportError(localError);
            answer = platform::mb::kCancel;
        }
    }
    localError.reset();
    TraceIfLogger(level::kFunction, kFunctionLeave, kDialogModule, "ProcessExit");
    return answer;
}

void frmDiagsConfig::Form_QueryUnload(std::int16_t& cancel, std::int16_t /*unloadMode*/) {
    ErrorRef error;
    RunProcedure(kDialogModule, "Form_QueryUnload", error, [&] {
        if (ProcessExit() == platform::mb::kCancel) cancel = 1;
        return ResultCode::Success;
    });
}

void frmDiagsConfig::Form_Unload(std::int16_t& /*cancel*/) {
    ErrorRef error;
    RunProcedure(kDialogModule, "Form_Unload", error, [&] {
        ReleaseModel();
        tvModules.SetImageList(nullptr);
        return ResultCode::Success;
    });
}

void frmDiagsConfig::ReleaseModel() noexcept {
    // Breaking the links first lets every record go: outputs and trace settings hold each other.
    if (moDiagMap && moDiagMap->AllTraceSettings())
        for (const std::shared_ptr<CTraceSetting>& setting : *moDiagMap->AllTraceSettings())
            setting->RemoveLinkedOutputs();
    mOrigins = {};
    mOriginSlots = {};
    mcolOutputs.reset();
    mcolComponents.reset();
    moLogConfig.reset();
    moDiagMap.reset();
    moCurrentTraceNode = nullptr;
}

}  // namespace diags
