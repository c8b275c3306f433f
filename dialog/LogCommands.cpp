// The Tools menu's log commands: open the folder the panel shows, and collect every log of the
// configuration into one zip file (the same bundle as the console's collect).
#include "base/RuntimeError.h"
#include "base/Text.h"
#include "dialog/frmDiagsConfig.h"
#include "hostconfig/DefaultConfiguration.h"
#include "logbundle/LogBundle.h"
#include "platform/Platform.h"
#include "platform/registry/Encoding.h"
#include "services/MessageService.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

#ifndef DIAGS_VERSION
#define DIAGS_VERSION "unknown"
#endif

namespace diags {

namespace {

constexpr std::int32_t kShowNormal = 1;

std::string Format(std::int32_t id, std::string argument) {
    const std::vector<std::string> args{std::move(argument)};
    return MessageService::FormatMessage(ResourceStrings::Instance().GetString(id), args);
}

void Tell(const std::string& text) {
    platform::Current().interaction->ShowMessage(text, platform::mb::kInformation,
                                                 ResourceStrings::Instance().GetString(dlgres::kDialogTitle));
}

}  // namespace

ResultCode frmDiagsConfig::OpenLogFolder(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "OpenLogFolder", oError, [&] {
        // The folder the panel shows (the output's on the Advanced tab, the shared one on the
        // Tracing tab), else the product's log folder. A missing folder is not created.
        std::string folder(Trim(txtDirectory.Text()));
        if (folder.empty()) folder = hostconfig::DefaultLogDirectory(platform::registry::NativeStore());
        platform::Platform& current = platform::Current();
        if (!current.fileSystem->EntryExists(folder)) {
            Tell(Format(dlgres::kFolderMissing, folder));
            return ResultCode::Success;
        }
        const std::intptr_t opened = current.shell->Execute(hWnd(), "open", folder, "", "", kShowNormal);
        if (opened <= 32)
            throw RuntimeError(err::kPathFileAccess,
                               "The folder " + folder + " could not be opened (" + std::to_string(opened) + ")");
        return ResultCode::Success;
    });
}

ResultCode frmDiagsConfig::CollectLogs(ErrorRef& oError) {
    return RunProcedure(kDialogModule, "CollectLogs", oError, [&] {
        ResourceStrings& strings = ResourceStrings::Instance();
        platform::Platform& current = platform::Current();
        const std::optional<std::string> chosen =
            current.fileDialogs ? current.fileDialogs->SaveAs(hWnd(), strings.GetString(dlgres::kCollectTitle),
                                                               strings.GetString(dlgres::kCollectFilter), "diagslogs.zip")
                                : std::nullopt;
        if (!chosen) return ResultCode::Success;  // the user cancelled

        logbundle::BundleOptions options;
        options.zipPath = platform::registry::Cp1252ToUtf8(*chosen);  // the dialog's texts are ANSI
        options.machine = logbundle::MachineName();
        options.user = logbundle::UserName();
        options.productFolder = logbundle::ProductFolder(platform::registry::NativeStore());
        options.version = DIAGS_VERSION;
        std::string shown;
        options.progress = [&](const std::string& file, std::uint64_t, std::uint64_t) {
            if (file == shown) return;
            shown = file;
            SetStatusValue(Format(dlgres::kCollecting, file));
        };
        ShowStatusPanel();
        SetStatusValue(Format(dlgres::kCollecting, ""));
        logbundle::BundleResult result;
        std::string why;
        const bool made =
            logbundle::MakeBundle(platform::registry::NativeStore(), hostconfig::DefaultRootKey(), options, result, why);
        SetStatusValue("");
        frmStatus.SetVisible(false);
        if (!made) throw RuntimeError(err::kPathFileAccess, why);
        Tell(Format(dlgres::kCollected, *chosen));
        return ResultCode::Success;
    });
}

}  // namespace diags
