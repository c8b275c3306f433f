#include "hostconfig/LogFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>

#include "base/Text.h"
#include "platform/registry/Encoding.h"

namespace diags::hostconfig {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

bool Bool(const LogConfigNode& node, std::int32_t index) {
    try {
        const PropertyValue v = node.Property(index);
        return std::holds_alternative<bool>(v) && std::get<bool>(v);
    } catch (...) {
        return false;
    }
}

std::string Text(const LogConfigNode& node, std::int32_t index) {
    try {
        const PropertyValue v = node.Property(index);
        return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : std::string();
    } catch (...) {
        return {};
    }
}

double Number(const LogConfigNode& node, std::int32_t index, double fallback) {
    try {
        const PropertyValue v = node.Property(index);
        return std::holds_alternative<double>(v) ? std::get<double>(v) : fallback;
    } catch (...) {
        return fallback;
    }
}

OutputSettings Settings(const LogConfigNode& node) {
    OutputSettings out;
    out.name = node.Name();
    out.debugMonitor = Bool(node, prop::kDebugMonitor);
    out.logToFile = Bool(node, prop::kLogToFile);
    out.mode = Bool(node, prop::kCircularLogFile) ? FileMode::Circular
               : Bool(node, prop::kAppendToFile)  ? FileMode::Append
                                                   : FileMode::Overwrite;
    out.directory = std::string(Trim(Text(node, prop::kDirectory)));
    out.fileName = std::string(Trim(Text(node, prop::kFileName)));
    out.fileSizeKb = Number(node, prop::kFileSize, 24);
    return out;
}

// Finds the marker in an existing circular file: the place of the next line.
std::uint64_t FindMarker(std::FILE* file, std::uint64_t capacity) {
    std::string content;
    std::array<char, 8192> buffer{};
    std::rewind(file);
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), file)) > 0;) content.append(buffer.data(), n);
    const auto at = content.rfind(kCircularMarker);
    if (at != std::string::npos) return at;
    return std::min<std::uint64_t>(content.size(), capacity);
}

}  // namespace

std::vector<OutputSettings> ComponentOutputs(const LogConfigNode& root, std::string_view component) {
    std::vector<OutputSettings> outputs;
    const LogConfigNodePtr node = root.Children().Find(component);
    if (!node) return outputs;
    if (node->Children().Count() == 0) {
        outputs.push_back(Settings(*node));
        return outputs;
    }
    for (const auto& output : node->Children()) outputs.push_back(Settings(*output));
    return outputs;
}

platform::registry::Status ReadComponentOutputs(platform::registry::Store& store, std::string_view rootKey,
                                                std::string_view component, std::vector<OutputSettings>& out) {
    out.clear();
    const std::string path = std::string(rootKey) + "\\" + platform::registry::Cp1252ToUtf8(component);
    std::optional<platform::registry::RegKey> key;
    if (auto s = store.ReadTree(path, key); !s || !key) return s;
    // A configuration of just this component, read exactly as the dialog reads it.
    platform::registry::RegKey root;
    root.ChildOrCreate(key->Name()) = std::move(*key);
    out = ComponentOutputs(*LogConfiguration::FromTree(root, std::string(rootKey)), component);
    return platform::registry::Status::Ok();
}

// "\"<name>\" <what>", built by appending (simpler for the compiler's overlap checks too).
static std::string Refusal(std::string_view name, std::string_view what) {
    std::string out;
    out.reserve(name.size() + what.size() + 3);
    out.append(1, '"').append(name).append("\" ").append(what);
    return out;
}

std::optional<std::string> CheckFileName(std::string_view fileName) {
    if (fileName.empty()) return "no file name is configured";
    if (fileName.find_first_of("/\\:") != std::string_view::npos)
        return Refusal(fileName, "is not a plain file name");
    if (fileName == "." || fileName == "..") return Refusal(fileName, "is not a file name");
    // Device names are reserved with any extension ("NUL.txt") and trailing blanks or dots.
    std::string stem = FoldCase(fileName.substr(0, fileName.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    bool reserved = std::find(kDevices.begin(), kDevices.end(), stem) != kDevices.end();
    if (stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' && stem[3] <= '9')
        reserved = true;
    if (reserved) return Refusal(fileName, "is a reserved device name");
    return std::nullopt;
}

std::unique_ptr<LogFile> LogFile::Open(const OutputSettings& output, std::string& why) {
    if (auto refused = CheckFileName(output.fileName)) {
        why = *refused;
        return nullptr;
    }
    if (output.directory.empty()) {
        why = "no directory is configured";
        return nullptr;
    }
    std::error_code ec;
    std::filesystem::create_directories(output.directory, ec);
    std::string path = output.directory;
    if (path.back() != kSeparator && path.back() != '/') path += kSeparator;
    path += output.fileName;

    std::unique_ptr<LogFile> log(new LogFile());
    log->path_ = path;
    log->mode_ = output.mode;
    const char* how = output.mode == FileMode::Append ? "ab" : output.mode == FileMode::Overwrite ? "wb" : "r+b";
    log->file_ = std::fopen(path.c_str(), how);
    if (!log->file_ && output.mode == FileMode::Circular) log->file_ = std::fopen(path.c_str(), "w+b");
    if (!log->file_) {
        why = "cannot open " + path;
        return nullptr;
    }
    if (output.mode == FileMode::Circular) {
        const double kb = output.fileSizeKb > 0 && std::isfinite(output.fileSizeKb) ? output.fileSizeKb : 24;
        log->capacity_ = static_cast<std::uint64_t>(std::floor(std::min(kb, 1e6) * 1024));
        log->position_ = FindMarker(log->file_, log->capacity_);
    }
    return log;
}

LogFile::~LogFile() {
    if (file_) std::fclose(file_);
}

bool LogFile::WriteLine(std::string_view line) noexcept {
    if (!file_) return false;
    if (mode_ == FileMode::Circular) return WriteCircular(line);
    const bool ok = std::fwrite(line.data(), 1, line.size(), file_) == line.size() && std::fputc('\n', file_) != EOF;
    return std::fflush(file_) == 0 && ok;
}

bool LogFile::WriteCircular(std::string_view line) noexcept {
    if (capacity_ <= kCircularMarker.size() + 1) return false;
    const std::uint64_t room = capacity_ - kCircularMarker.size();
    std::string text(line.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(line.size(), room - 1))));
    text += '\n';
    if (position_ + text.size() > room) {
        // Wrap: blank out the marker at the end of this lap, then overwrite the oldest lines.
        std::string filler(kCircularMarker.size() - 1, ' ');
        filler += '\n';
        if (std::fseek(file_, static_cast<long>(position_), SEEK_SET) != 0 ||
            std::fwrite(filler.data(), 1, filler.size(), file_) != filler.size())
            return false;
        position_ = 0;
    }
    text += kCircularMarker;
    if (std::fseek(file_, static_cast<long>(position_), SEEK_SET) != 0) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), file_) == text.size();
    position_ += text.size() - kCircularMarker.size();
    return std::fflush(file_) == 0 && ok;
}

}  // namespace diags::hostconfig
