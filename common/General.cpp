#include "common/General.h"

#include <optional>
#include <vector>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "platform/Platform.h"
#include "services/MessageService.h"
#include "services/Procedure.h"
#include "services/ResourceStrings.h"

namespace diags {

namespace {

constexpr std::string_view kModule = "General";

std::vector<std::string> SplitAt(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto at = text.find(separator, start);
        parts.emplace_back(text.substr(start, at == std::string_view::npos ? std::string_view::npos : at - start));
        if (at == std::string_view::npos) return parts;
        start = at + 1;
    }
}

// The prefix of the path up to component `position`: the first component with its
// separator ("C:\"), later ones joined by single separators ("C:\A", "C:\A\B").
std::string Prefix(const std::vector<std::string>& parts, std::size_t position, char separator) {
    std::string prefix = parts[0];
    if (position == 0) return prefix + separator;
    for (std::size_t i = 1; i <= position; ++i) (prefix += separator) += parts[i];
    return prefix;
}

// Creates every missing directory along the path, shortest prefix first. A prefix that
// cannot be created does not stop the walk (a later one may still be creatable, e.g. when
// the earlier one is a drive or share that cannot be "made"); only the full path decides.
void CreatePath(const std::string& path) {
    platform::FileSystem& fs = *platform::Current().fileSystem;
    const char separator = fs.Separator();
    const std::vector<std::string> parts = SplitAt(path, separator);
    std::optional<RuntimeError> pending;
    for (std::size_t position = 0; position < parts.size(); ++position) {
        const std::string prefix = Prefix(parts, position, separator);
        if (fs.EntryExists(prefix)) continue;
        if (const auto reason = fs.MakeDirectory(prefix)) {
            const bool parentThere = position > 0 && fs.EntryExists(Prefix(parts, position - 1, separator));
            pending = RuntimeError(parentThere ? err::kPathFileAccess : err::kPathNotFound,
                                   std::string(parentThere ? "Path/File access error" : "Path not found") + " (" +
                                       prefix + ": " + *reason + ")");
        }
        const bool last = position + 1 == parts.size();
        // Success is judged by the result, not by the walk: an earlier prefix's failure
        // does not fail a path that now exists, and a path that still does not exist fails
        // even when no step reported an error.
        if (last && !fs.EntryExists(prefix)) {
            if (pending) throw *pending;
            throw RuntimeError(err::kPathNotFound, "Path not found (" + prefix + ")");
        }
    }
}

std::string Format(std::int32_t templateId, std::vector<std::string> args) {
    return MessageService::FormatMessage(ResourceStrings::Instance().GetString(templateId), args);
}

}  // namespace

ResultCode ValidPath(std::string& path, std::string_view label, ErrorRef& oError) noexcept {
    return RunProcedure(kModule, "ValidPath", oError, [&] {
        platform::Platform& current = platform::Current();
        if (current.fileSystem->EntryExists(path)) return ResultCode::Success;

        const std::string title = ResourceStrings::Instance().GetString(resid::kErrorTitle);
        const std::int32_t answer = current.interaction->ShowMessage(
            Format(resid::kCreateDirectory, {path, std::string(label)}), platform::mb::kQuestionYesNoCancel, title);
        if (answer == platform::mb::kYes) {
            CreatePath(path);
            return ResultCode::Success;
        }
        if (answer == platform::mb::kNo) {
            path = GetWindowsDir();
            current.interaction->ShowMessage(Format(resid::kWindowsDirectoryUsed, {path}),
                                              platform::mb::kInformation, title);
            return ResultCode::Success;
        }
        // Cancel (and a box closed any other way): stop, path unchanged.
        return ResultCode::Stopped;
    });
}

ResultCode NotifyUser(std::int16_t kind, std::string_view message) noexcept {
    return RunModelProcedure(kModule, "NotifyUser", ResultCode::Failure, [&] {
        ResourceStrings& strings = ResourceStrings::Instance();
        const std::string title = strings.GetString(resid::kNotifyTitle);
        std::string text(message);
        if (kind == 1) text += " " + strings.GetString(resid::kNotifySuffix);
        if (kind == 2) text += " " + strings.GetString(resid::kNoDirectorySuffix);
        platform::Current().interaction->ShowMessage(text, platform::mb::kCritical, title);
        return ResultCode::Success;
    });
}

std::int16_t BoolToInt(bool value) noexcept {
    return RunModelProcedure(kModule, "BoolToInt", std::int16_t{0},
                             [&] { return static_cast<std::int16_t>(value ? 1 : 0); });
}

bool IntToBool(std::int16_t value) noexcept {
    return RunModelProcedure(kModule, "IntToBool", false, [&] { return value == 1; });
}

std::string GetWindowsDir() { return StripNull(platform::Current().fileSystem->WindowsDirectoryBuffer(256)); }

std::string StripNull(std::string_view text) {
    return std::string(Trim(text.substr(0, text.find('\0'))));
}

}  // namespace diags
