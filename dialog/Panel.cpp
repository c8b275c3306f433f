// The output panel: a host output node into a record, a record into the panel and back, and
// the enabled states of the panel's controls.
#include <algorithm>
#include <variant>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "common/General.h"
#include "dialog/frmDiagsConfig.h"
#include "services/Procedure.h"

namespace diags {

namespace {

using hostconfig::PropertyValue;
namespace prop = hostconfig::prop;

// A property as the type its index documents; a value of another type is a type mismatch.
template <class T>
T As(PropertyValue&& value) {
    if (T* typed = std::get_if<T>(&value)) return std::move(*typed);
    if (std::holds_alternative<std::monostate>(value)) return T{};
    throw RuntimeError(err::kTypeMismatch, "Type mismatch");
}

}  // namespace

ResultCode frmDiagsConfig::FillOutputObject(COutput& oOutput, const hostconfig::LogConfigNode& oNode,
                                            std::string_view sParent, ErrorRef& oError) {
    return RunProcedure(kDialogModule, "FillOutputObject", oError, [&] {
        // A stored value that cannot be read (a hand edit, an import, another program) is
        // held as the empty value and noted, so one bad value never keeps the dialog shut.
        std::vector<std::int32_t> unreadable;
        hostconfig::LogConfigNode::PropertyValues values = oNode.Properties();
        const auto read = [&]<class T>(std::int32_t index, T& field) {
            std::optional<PropertyValue>& value = values[static_cast<std::size_t>(index)];
            try {
                if (value) {
                    field = As<T>(std::move(*value));
                    return;
                }
            } catch (const RuntimeError&) {
                // a value of another type: unreadable as well
            }
            field = T{};
            unreadable.push_back(index);
        };
        read(prop::kAppendToFile, oOutput.AppendToFile);
        read(prop::kCircularLogFile, oOutput.CircularLogFile);
        read(prop::kDirectory, oOutput.Directory);
        read(prop::kFileName, oOutput.FileName);
        read(prop::kFileSize, oOutput.FileSize);
        read(prop::kLogToFile, oOutput.LogToFile);
        read(prop::kDebugMonitor, oOutput.DebugMonitor);
        oOutput.DirtyFlag = false;
        read(prop::kErrorThreshold, oOutput.ErrorThreshold);
        oOutput.Name = oNode.Name();
        oOutput.Parent = std::string(sParent);
        if (unreadable.empty()) mUnreadable.erase(&oOutput);
        else mUnreadable[&oOutput] = std::move(unreadable);
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::ApplyValuesToInterface(std::string_view sKey, ErrorRef& oError) {
    mbFillingPanel = true;
    const ResultCode result = RunProcedure(kDialogModule, "ApplyValuesToInterface", oError, [&] {
        if (!mcolOutputs) ThrowObjectRequired();
        const std::shared_ptr<COutput> output = mcolOutputs->Item(sKey);
        msCurrentNode = std::string(sKey);
        mbPanelShowsRecord = true;
        optFileOptions(2).SetValue(!output->CircularLogFile && !output->AppendToFile);
        optFileOptions(0).SetValue(output->AppendToFile);
        optFileOptions(1).SetValue(output->CircularLogFile);
        txtDirectory.SetText(Trim(output->Directory));
        txtFileName.SetText(Trim(output->FileName));
        // A size that could not be read is shown empty, not as a size of 0.
        const auto unread = mUnreadable.find(output.get());
        const bool sizeUnread = unread != mUnreadable.end() && output->FileSize == 0.0 &&
                                std::ranges::count(unread->second, prop::kFileSize) > 0;
        txtFileSize.SetText(sizeUnread ? std::string() : NumberToText(output->FileSize));
        chkLogfile.SetValue(BoolToInt(output->LogToFile));
        chkDbgMntr.SetValue(BoolToInt(output->DebugMonitor));
        return ResultCode::Success;
    });
    mbFillingPanel = false;
    return result;
}

ResultCode frmDiagsConfig::UpdateCurrentNode(ErrorRef& oError) {
    const ResultCode result = RunProcedure(kDialogModule, "UpdateCurrentNode", oError, [&] {
        // Only the record the panel shows takes the panel's values: after a folder was
        // selected, or on the trace tab, msCurrentNode still names an output the panel no
        // longer shows.
        if (msCurrentNode.empty() || !mbNodeDirty || mnActiveTab != kModuleTabActive || !mbPanelShowsRecord)
            return ResultCode::Success;
        if (!mcolOutputs) ThrowObjectRequired();
        const std::shared_ptr<COutput> output = mcolOutputs->Item(msCurrentNode);
        output->AppendToFile = optFileOptions(0).Value();
        output->CircularLogFile = optFileOptions(1).Value();
        output->Directory = std::string(Trim(txtDirectory.Text()));
        output->FileName = std::string(Trim(txtFileName.Text()));
        if (!txtFileSize.Text().empty()) output->FileSize = ReadNumber(txtFileSize.Text());
        output->LogToFile = IntToBool(chkLogfile.Value());
        output->DebugMonitor = IntToBool(chkDbgMntr.Value());
        output->DirtyFlag = true;
        output->ErrorThreshold = 1;
        return ResultCode::Success;
    });
    mbNodeDirty = false;
    return result;
}

ResultCode frmDiagsConfig::ToggleLogFile(bool enabled) {
    ErrorRef dropped;
    return RunProcedure(kDialogModule, "ToggleLogFile", dropped, [&] {
        if (mbInNodeClick) return ResultCode::Success;
        for (forms::Control* control : {static_cast<forms::Control*>(&lblDirectory), static_cast<forms::Control*>(&lblFileName),
                                        static_cast<forms::Control*>(&txtDirectory), static_cast<forms::Control*>(&txtFileName),
                                        static_cast<forms::Control*>(&cmdBrowse)})
            control->SetEnabled(enabled);
        for (int index = 0; index <= 2; ++index) optFileOptions(index).SetEnabled(enabled);
        txtFileSize.SetEnable(optFileOptions(1).Value() && enabled);
        lblFileSize.SetEnabled(txtFileSize.Enable());
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::ToggleFrame(bool enabled) {
    ErrorRef dropped;
    return RunProcedure(kDialogModule, "ToggleFrame", dropped, [&] {
        chkLogfile.SetEnabled(enabled);
        chkDbgMntr.SetEnabled(enabled);
        (void)ToggleLogFile(IntToBool(chkLogfile.Value()) && chkLogfile.Enabled());
        return ResultCode::Success;
    });
}

}  // namespace diags
