// Saving every edited output record into the host's log configuration, and the output half
// of Clear all.
#include <array>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "common/General.h"
#include "dialog/frmDiagsConfig.h"
#include "forms/CMousePointer.h"
#include "hostconfig/SaveBatch.h"
#include "platform/Platform.h"
#include "services/Logger.h"
#include "services/MessageService.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

namespace {

namespace prop = hostconfig::prop;

bool IsErrorLog(const COutput& output) noexcept { return EqualsNoCase(output.Key, nodekey::kErrorLog); }

// How messages name an output: every module output has the same name, so its component too.
std::string OutputLabel(const COutput& output) { return output.Parent + "\\" + output.Name; }

// Re-reads the configuration into the Logger once, when the save stored at least one output,
// however the save ends.
class RefreshAfterSave {
public:
    explicit RefreshAfterSave(const std::int32_t& saved) noexcept : saved_(saved) {}
    ~RefreshAfterSave() {
        if (saved_ == 0) return;
        try {
            if (Logger* logger = Logger::Existing()) logger->Refresh();
        } catch (...) {
            // The outputs are saved; the Logger picks them up at its next refresh.
        }
    }
    RefreshAfterSave(const RefreshAfterSave&) = delete;
    RefreshAfterSave& operator=(const RefreshAfterSave&) = delete;

private:
    const std::int32_t& saved_;
};

}  // namespace

ResultCode frmDiagsConfig::SaveDirtyRecords(std::int32_t& saved, ErrorRef& oError) {
    const std::string savingText = ResourceStrings::Instance().GetString(dlgres::kSavingOutput);
    for (const std::shared_ptr<COutput>& output : *mcolOutputs) {
        if (!output->DirtyFlag) continue;
        const bool errorLog = IsErrorLog(*output);
        const hostconfig::LogConfigNodePtr node =
            errorLog ? moLogConfig->Children().Item(output->Name)
                     : moLogConfig->Children().Item(output->Parent)->Children().Item(output->Name);
        if (!errorLog) {
            const std::array<std::string, 2> args{output->Parent, output->Name};
            SetStatusValue(MessageService::FormatMessage(savingText, args));
        }
        const std::string label = OutputLabel(*output);
        if (output->LogToFile) {
            // A log file needs a directory: an empty one is reported like an empty name.
            if (Trim(output->Directory).empty()) {
                (void)NotifyUser(1, label);
                return ResultCode::Stopped;
            }
            std::string directory = output->Directory;
            const ResultCode checked = ValidPath(directory, label, oError);
            if (checked != ResultCode::Success) return checked;
            output->Directory = directory;
        }
        node->SetProperty(prop::kCircularLogFile, output->CircularLogFile);
        node->SetProperty(prop::kAppendToFile, output->CircularLogFile || output->AppendToFile);
        node->SetProperty(prop::kDirectory, output->Directory);
        node->SetProperty(prop::kFileName, output->FileName);
        node->SetProperty(prop::kFileSize, output->FileSize);
        node->SetProperty(prop::kLogToFile, output->LogToFile);
        node->SetProperty(prop::kDebugMonitor, output->DebugMonitor);
        node->SetProperty(prop::kErrorThreshold, output->ErrorThreshold);
        if (output->LogToFile && Trim(output->FileName).empty()) {
            (void)NotifyUser(1, label);
            return ResultCode::Stopped;
        }
        node->Save();
        output->DirtyFlag = false;
        ++saved;
    }
    return ResultCode::Success;
}

ResultCode frmDiagsConfig::SaveGUIValues(ErrorRef& oError) {
    CMousePointer::SetScreenPointer(platform::pointer::kHourglass);
    ShowStatusPanel();
    std::int32_t saved = 0;
    const ResultCode result = [&] {
        RefreshAfterSave refresh(saved);
        return RunProcedure(kDialogModule, "SaveGUIValues", oError, [&]() -> ResultCode {
            if (UpdateCurrentNode(oError) == ResultCode::Failure) return ResultCode::Failure;
            if (!mcolOutputs || !moLogConfig) ThrowObjectRequired();
            // Each record is stored on its own as it is saved; the store flushes them to disk
            // once, at the end, instead of once per record.
            hostconfig::SaveBatch batch(*moLogConfig);
            const ResultCode outcome = SaveDirtyRecords(saved, oError);
            batch.Commit();
            if (outcome != ResultCode::Success) return outcome;
            if (saved > 0) SetStatusValue(ResourceStrings::Instance().GetString(dlgres::kSaved));
            mbSaved = true;
            return ResultCode::Success;
        });
    }();
    CMousePointer::SetScreenPointer(platform::pointer::kDefault);
    SetStatusValue("");
    frmStatus.SetVisible(false);
    return result;
}

ResultCode frmDiagsConfig::ClearALLOutputObjects(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "ClearALLOutputObjects", oError, [&] {
        if (!mcolOutputs) ThrowObjectRequired();
        for (const std::shared_ptr<COutput>& output : *mcolOutputs) {
            output->DebugMonitor = false;
            output->DirtyFlag = true;
            output->ErrorThreshold = 1;
            // The error log keeps writing to its file, in the mode it had: switching it to
            // Overwrite would empty it at every start.
            if (IsErrorLog(*output)) continue;
            output->AppendToFile = false;
            output->CircularLogFile = false;
            output->LogToFile = false;
            SetFolderImage(*output);
        }
        if (tvModules.Visible()) {
            if (tvModules.Count() > 0) {
                tvModules_NodeClick(tvModules.Item(1));
                if (forms::Node* selected = tvModules.SelectedItem()) tvModules_NodeClick(*selected);
            }
        } else if (tbsOptions.SelectedIndex() == 2) {
            tbsOptions_Click();
        }
        (void)SetDirtyNode();
        return ResultCode::Success;
    });
}

}  // namespace diags
