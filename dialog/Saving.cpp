// Saving every edited output record into the host's log configuration, and the output half
// of Clear all.
#include <algorithm>
#include <array>
#include <vector>

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

// How messages name an output: every module output has the same name, so its component too;
// the error log is a component of its own.
std::string OutputLabel(const COutput& output) {
    return IsErrorLog(output) ? output.Name : output.Parent + "\\" + output.Name;
}

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
        const RecordOrigin* known = OriginOf(*output);
        const hostconfig::LogConfigNodePtr node =
            known ? hostconfig::LogConfigNodePtr(moLogConfig, known->node)
            : errorLog             ? moLogConfig->Children().Item(output->Name)
                                   : moLogConfig->Children().Item(output->Parent)->Children().Item(output->Name);
        if (!errorLog) {
            const std::array<std::string, 2> args{output->Parent, output->Name};
            SetStatusValue(MessageService::FormatMessage(savingText, args));
        }
        const std::string label = OutputLabel(*output);
        if (output->LogToFile) {
            // A log file needs a directory: a blank one stops the save before anything is
            // written, with its own text.
            if (Trim(output->Directory).empty()) {
                (void)NotifyUser(2, label);
                return ResultCode::Stopped;
            }
            std::string directory = output->Directory;
            const ResultCode checked = ValidPath(directory, label, oError);
            if (checked != ResultCode::Success) return checked;
            output->Directory = directory;
        }
        // A stored value that could not be read is written only when the record's value
        // differs from the empty value shown for it.
        std::vector<std::int32_t>* unread = nullptr;
        if (const auto it = mUnreadable.find(output.get()); it != mUnreadable.end()) unread = &it->second;
        std::vector<std::int32_t> written;
        const auto put = [&](std::int32_t index, const hostconfig::PropertyValue& value, bool empty) {
            if (unread && empty && std::ranges::count(*unread, index) > 0) return;
            node->SetProperty(index, value);
            written.push_back(index);
        };
        const bool append = output->CircularLogFile || output->AppendToFile;
        put(prop::kCircularLogFile, output->CircularLogFile, !output->CircularLogFile);
        put(prop::kAppendToFile, append, !append);
        put(prop::kDirectory, output->Directory, output->Directory.empty());
        put(prop::kFileName, output->FileName, output->FileName.empty());
        put(prop::kFileSize, output->FileSize, output->FileSize == 0.0);
        put(prop::kLogToFile, output->LogToFile, !output->LogToFile);
        put(prop::kDebugMonitor, output->DebugMonitor, !output->DebugMonitor);
        put(prop::kErrorThreshold, output->ErrorThreshold, output->ErrorThreshold == 0);
        if (output->LogToFile && Trim(output->FileName).empty()) {
            (void)NotifyUser(1, label);
            return ResultCode::Stopped;
        }
        node->Save();
        output->DirtyFlag = false;
        // What was written is readable now; what was left alone is still as stored.
        if (unread) std::erase_if(*unread, [&](std::int32_t index) { return std::ranges::count(written, index) > 0; });
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
            // Clear all sets these values itself, readable or not.
            if (const auto unread = mUnreadable.find(output.get()); unread != mUnreadable.end())
                std::erase_if(unread->second, [&](std::int32_t index) {
                    return index == prop::kDebugMonitor || index == prop::kErrorThreshold ||
                           (!IsErrorLog(*output) && (index == prop::kAppendToFile || index == prop::kCircularLogFile ||
                                                     index == prop::kLogToFile));
                });
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
