#include "tools/diagsconfig/Commands.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iterator>
#include <memory>
#include <optional>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "hostconfig/DefaultConfiguration.h"
#include "hostconfig/LogConfiguration.h"
#include "hostconfig/LogFile.h"
#include "hostconfig/Properties.h"
#include "platform/registry/Encoding.h"
#include "platform/registry/FileStore.h"
#include "platform/registry/RegFile.h"
#include "tools/diagsconfig/Failure.h"
#include "tools/diagsconfig/Json.h"
#include "tools/diagsconfig/LogsCommand.h"
#include "tools/diagsconfig/TraceCommand.h"

namespace diags::tools {
namespace {

namespace registry = platform::registry;
using hostconfig::LogConfigNode;
using hostconfig::LogConfigNodePtr;
using hostconfig::PropertyValue;

constexpr const char* kUsageText =
    "usage: diagsconfig [--config FILE] [--root KEY] COMMAND\n"
    "  show [COMPONENT]                          the configuration as a table\n"
    "  get COMPONENT [OUTPUT] [PROPERTY]         one output's properties\n"
    "  set COMPONENT [OUTPUT] PROPERTY=VALUE...  change and save one output\n"
    "  export FILE                               write the configuration as a registry file\n"
    "  import FILE                               read a registry file into the configuration\n"
    "  repair                                    restore a missing \"ZEL Errors\" and remove stored values\n"
    "                                            that cannot be read (each one is listed)\n"
    "  trace                                     the editors and tasks, on, off or partly\n"
    "  trace on NAME... [--file F] [--dir D] [--append|--circular|--overwrite] [--size KB]\n"
    "                   [--monitor|--no-monitor] [--yes]\n"
    "                                            trace editors or tasks as the dialog does\n"
    "  trace off NAME... | trace off --all       untick them, or Clear all\n"
    "  logs                                      where every output writes, with warnings\n"
    "  collect [FILE.zip] [--since TIME]         every log and the configuration in one zip\n"
    "--json gives trace and logs as JSON.\n"
    "Exit codes: 0 done, 1 usage, 2 unknown name, 3 bad value, 4 store or file failure,\n"
    "  5 the dialog asks a question only --yes answers (nothing saved), 6 the dialog stopped.\n"
    "OUTPUT is left out for a component that carries its settings itself (\"ZEL Errors\").\n"
    "PROPERTY: DebugMonitor LogToFile AppendToFile CircularLogFile (true/false), ErrorThreshold,\n"
    "  FileName, Directory, FileSize (24..99999, kilobytes), MessageDLL,\n"
    "  FileMode (Append, Circular, Overwrite: sets AppendToFile and CircularLogFile)\n"
    "A stored value that cannot be read is shown as \"?\" and reported with its key; the command\n"
    "then ends with code 3.\n";

struct Options {
    std::optional<std::string> configFile;
    std::string rootKey = hostconfig::DefaultRootKey();
    bool json = false;
    std::vector<std::string> rest;
};

// Commands that read their own options after the command word.
bool TakesOwnOptions(const std::vector<std::string>& rest) {
    return !rest.empty() && (rest[0] == "trace" || rest[0] == "logs" || rest[0] == "collect");
}

const std::int32_t kAllIndices[] = {hostconfig::prop::kLogToFile,      hostconfig::prop::kDirectory,
                                    hostconfig::prop::kFileName,       hostconfig::prop::kAppendToFile,
                                    hostconfig::prop::kCircularLogFile, hostconfig::prop::kFileSize,
                                    hostconfig::prop::kDebugMonitor,   hostconfig::prop::kErrorThreshold,
                                    hostconfig::prop::kMessageDll};

std::optional<std::int32_t> IndexOf(std::string_view name) {
    for (std::int32_t index : kAllIndices)
        if (EqualsNoCase(name, hostconfig::PropertyValueName(index))) return index;
    return std::nullopt;
}

std::string Show(const PropertyValue& v) {
    if (const bool* b = std::get_if<bool>(&v)) return *b ? "true" : "false";
    if (const auto* i = std::get_if<std::int16_t>(&v)) return std::to_string(*i);
    if (const double* d = std::get_if<double>(&v)) return hostconfig::DoubleToText(*d);
    if (const auto* s = std::get_if<std::string>(&v)) return registry::Cp1252ToUtf8(*s);
    return "";
}

// A property, or none when its stored value cannot be read.
std::optional<PropertyValue> TryProperty(const LogConfigNode& node, std::int32_t index) {
    try {
        return node.Property(index);
    } catch (const RuntimeError&) {
        return std::nullopt;
    }
}

bool Flag(const LogConfigNode& node, std::int32_t index) {
    const std::optional<PropertyValue> v = TryProperty(node, index);
    return v && std::holds_alternative<bool>(*v) && std::get<bool>(*v);
}

// The error log carries its settings itself; keys below it are not outputs.
bool IsErrorLog(const LogConfigNode& node) { return EqualsNoCase(node.Name(), "ZEL Errors"); }

std::string ModeOf(const LogConfigNode& node) {
    if (Flag(node, hostconfig::prop::kCircularLogFile)) return "Circular";
    return Flag(node, hostconfig::prop::kAppendToFile) ? "Append" : "Overwrite";
}

std::optional<bool> ParseBool(std::string_view text) {
    for (const char* yes : {"true", "1", "-1", "on", "yes"})
        if (EqualsNoCase(text, yes)) return true;
    for (const char* no : {"false", "0", "off", "no"})
        if (EqualsNoCase(text, no)) return false;
    return std::nullopt;
}

// The value of PROPERTY=VALUE as the node wants it, or a failure naming what is wrong.
using Puts = std::vector<std::pair<std::int32_t, PropertyValue>>;

Puts One(std::int32_t index, PropertyValue value) {
    Puts puts;
    puts.emplace_back(index, std::move(value));
    return puts;
}

Puts ParseAssignment(const std::string& assignment) {
    const auto eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0)
        throw Failure{exitcode::kUsage, "expected PROPERTY=VALUE, got \"" + assignment + "\""};
    const std::string name = assignment.substr(0, eq), text = assignment.substr(eq + 1);
    const std::string ansi = registry::Utf8ToCp1252(text);
    if (EqualsNoCase(name, "FileMode")) {
        bool append = false, circular = false;
        if (EqualsNoCase(text, "Append")) append = true;
        else if (EqualsNoCase(text, "Circular")) circular = true;
        else if (!EqualsNoCase(text, "Overwrite"))
            throw Failure{exitcode::kBadValue, "FileMode must be Append, Circular or Overwrite, not \"" + text + "\""};
        // A circular log is reported to the host as appending, as the dialog saves it.
        Puts puts(2);
        puts[0].first = hostconfig::prop::kCircularLogFile;
        puts[0].second.emplace<bool>(circular);
        puts[1].first = hostconfig::prop::kAppendToFile;
        puts[1].second.emplace<bool>(append || circular);
        return puts;
    }
    const auto index = IndexOf(name);
    if (!index) throw Failure{exitcode::kNotFound, "unknown property \"" + name + "\""};
    switch (hostconfig::KindOf(*index)) {
        case hostconfig::PropertyKind::Boolean: {
            const auto b = ParseBool(text);
            if (!b) throw Failure{exitcode::kBadValue, name + " must be true or false, not \"" + text + "\""};
            return One(*index, *b);
        }
        case hostconfig::PropertyKind::Int16: {
            double d = 0;
            if (!hostconfig::TextToDouble(text, d) || d != static_cast<std::int16_t>(d))
                throw Failure{exitcode::kBadValue, name + " must be a whole number from -32768 to 32767, not \"" + text + "\""};
            return One(*index, static_cast<std::int16_t>(d));
        }
        case hostconfig::PropertyKind::Double: {
            double d = 0;
            if (!hostconfig::TextToDouble(text, d) || !(d >= 24 && d <= 99999))
                throw Failure{exitcode::kBadValue, name + " must be a number from 24 to 99999 (kilobytes), not \"" + text + "\""};
            return One(*index, d);
        }
        case hostconfig::PropertyKind::Text:
            if (*index == hostconfig::prop::kFileName && !text.empty()) {
                if (auto why = hostconfig::CheckFileName(ansi)) throw Failure{exitcode::kBadValue, "FileName: " + *why};
            }
            return One(*index, ansi);
        case hostconfig::PropertyKind::Unknown: break;
    }
    throw Failure{exitcode::kNotFound, "unknown property \"" + name + "\""};
}

class Tool {
public:
    Tool(Options options, std::ostream& out, std::ostream& err) : options_(std::move(options)), out_(out), err_(err) {
        if (options_.configFile) {
            fileStore_ = std::make_unique<registry::FileStore>(*options_.configFile);
            store_ = fileStore_.get();
        } else {
            store_ = &registry::NativeStore();
        }
    }

    int Run() {
        const auto& rest = options_.rest;
        if (rest.empty()) throw Failure{exitcode::kUsage, "no command given"};
        const std::string& command = rest[0];
        const std::vector<std::string> args(rest.begin() + 1, rest.end());
        if (command == "show") return ShowCommand(args);
        if (command == "get") return GetCommand(args);
        if (command == "set") return SetCommand(args);
        if (command == "export") return ExportCommand(args);
        if (command == "import") return ImportCommand(args);
        if (command == "repair") return RepairCommand(args);
        CommandContext context{*store_, options_.rootKey, options_.configFile, options_.json, out_, err_};
        if (command == "trace") return RunTraceCommand(context, args);
        if (command == "logs") return RunLogsCommand(context, args);
        if (command == "collect") return RunCollectCommand(context, args);
        throw Failure{exitcode::kUsage, "unknown command \"" + command + "\""};
    }

private:
    LogConfigNodePtr Root() {
        LogConfigNodePtr root;
        if (auto s = hostconfig::LogConfiguration::TryOpen(*store_, options_.rootKey, true, root); !s)
            throw Failure{exitcode::kStoreFailure, s.message()};
        return root;
    }

    LogConfigNodePtr Component(const LogConfigNode& root, const std::string& name) {
        LogConfigNodePtr c = root.Children().Find(registry::Utf8ToCp1252(name));
        if (!c) throw Failure{exitcode::kNotFound, "unknown component \"" + name + "\""};
        return c;
    }

    // COMPONENT [OUTPUT]: the output node and how many arguments named it.
    std::pair<LogConfigNodePtr, std::size_t> Output(const LogConfigNode& root, const std::vector<std::string>& args) {
        if (args.empty()) throw Failure{exitcode::kUsage, "name a component"};
        LogConfigNodePtr c = Component(root, args[0]);
        if (c->Children().Count() == 0 || IsErrorLog(*c)) return {c, 1};
        if (args.size() < 2) throw Failure{exitcode::kUsage, "name an output of \"" + args[0] + "\""};
        LogConfigNodePtr o = c->Children().Find(registry::Utf8ToCp1252(args[1]));
        if (!o) throw Failure{exitcode::kNotFound, "unknown output \"" + args[1] + "\" of \"" + args[0] + "\""};
        return {o, 2};
    }

    // One property for a table or a listing: "?" when unreadable, which is reported once.
    std::string Cell(const LogConfigNode& node, std::int32_t index) {
        if (const auto v = TryProperty(node, index)) return Show(*v);
        ReportUnreadable(node, index);
        return "?";
    }
    std::string OnOff(const LogConfigNode& node, std::int32_t index) {
        const std::string cell = Cell(node, index);
        return cell == "?" ? cell : cell == "true" ? "on" : "off";
    }
    void ReportUnreadable(const LogConfigNode& node, std::int32_t index) {
        const std::string what = NodeLabel(node) + ": the stored value \"" +
                                 std::string(hostconfig::PropertyValueName(index)) + "\" cannot be read";
        if (std::find(unreadable_.begin(), unreadable_.end(), what) == unreadable_.end()) unreadable_.push_back(what);
    }
    // "Component\Output" (or the component alone) from the node's key under the root.
    std::string NodeLabel(const LogConfigNode& node) const {
        const std::string& key = node.KeyPath();
        const std::string utf8 = key.size() > options_.rootKey.size() ? key.substr(options_.rootKey.size() + 1) : key;
        return registry::Utf8ToCp1252(utf8);
    }

    void Row(const std::string& label, const LogConfigNode& node) {
        const std::string dir = Cell(node, hostconfig::prop::kDirectory);
        const std::string file = Cell(node, hostconfig::prop::kFileName);
        std::string mode = ModeOf(node);
        if (!TryProperty(node, hostconfig::prop::kCircularLogFile) || !TryProperty(node, hostconfig::prop::kAppendToFile)) {
            (void)Cell(node, hostconfig::prop::kCircularLogFile);
            (void)Cell(node, hostconfig::prop::kAppendToFile);
            mode = "?";
        }
        out_ << std::left << std::setw(44) << label << std::setw(5) << OnOff(node, hostconfig::prop::kLogToFile)
             << std::setw(11) << mode << std::setw(8) << Cell(node, hostconfig::prop::kFileSize)
             << std::setw(7) << OnOff(node, hostconfig::prop::kDebugMonitor)
             << std::setw(7) << Cell(node, hostconfig::prop::kErrorThreshold)
             << dir + (dir.empty() || file.empty() ? "" : std::string(1, dir.find('\\') != std::string::npos ? '\\' : '/')) + file
             << "\n";
    }

    int ShowCommand(const std::vector<std::string>& args) {
        if (args.size() > 1) throw Failure{exitcode::kUsage, "show takes at most one component"};
        const LogConfigNodePtr root = Root();
        out_ << std::left << std::setw(44) << "Component / output" << std::setw(5) << "File" << std::setw(11) << "Mode"
             << std::setw(8) << "Size KB" << std::setw(7) << "Debug" << std::setw(7) << "Thresh" << "Log file\n";
        auto component = [&](const LogConfigNode& c) {
            const std::string name = registry::Cp1252ToUtf8(c.Name());
            if (c.Children().Count() == 0 || IsErrorLog(c)) return Row(name, c);
            out_ << name << "\n";
            for (const auto& o : c.Children()) Row("  " + registry::Cp1252ToUtf8(o->Name()), *o);
        };
        if (args.empty()) {
            for (const auto& c : root->Children()) component(*c);
        } else {
            component(*Component(*root, args[0]));
        }
        return exitcode::kOk;
    }

    int GetCommand(const std::vector<std::string>& args) {
        const LogConfigNodePtr root = Root();
        const auto [node, used] = Output(*root, args);
        if (args.size() > used + 1) throw Failure{exitcode::kUsage, "get takes one property at most"};
        if (args.size() == used + 1) {
            if (EqualsNoCase(args[used], "FileMode")) {
                out_ << ModeOf(*node) << "\n";
                return exitcode::kOk;
            }
            const auto index = IndexOf(args[used]);
            if (!index) throw Failure{exitcode::kNotFound, "unknown property \"" + args[used] + "\""};
            out_ << Cell(*node, *index) << "\n";
            return exitcode::kOk;
        }
        for (std::int32_t index : kAllIndices)
            out_ << hostconfig::PropertyValueName(index) << "=" << Cell(*node, index) << "\n";
        out_ << "FileMode=" << ModeOf(*node) << "\n";
        return exitcode::kOk;
    }

    int SetCommand(const std::vector<std::string>& args) {
        const LogConfigNodePtr root = Root();
        const auto [node, used] = Output(*root, args);
        if (args.size() == used) throw Failure{exitcode::kUsage, "set needs PROPERTY=VALUE"};
        std::vector<std::pair<std::int32_t, PropertyValue>> puts;
        for (std::size_t i = used; i < args.size(); ++i)
            for (auto& p : ParseAssignment(args[i])) puts.push_back(std::move(p));
        for (const auto& [index, value] : puts) node->SetProperty(index, value);
        if (auto s = node->TrySave(); !s) throw Failure{exitcode::kStoreFailure, s.message()};
        return exitcode::kOk;
    }

    int ExportCommand(const std::vector<std::string>& args) {
        if (args.size() != 1) throw Failure{exitcode::kUsage, "export takes one file name"};
        (void)Root();  // installs the default configuration when there is none
        std::optional<registry::RegKey> key;
        if (auto s = store_->ReadTree(options_.rootKey, key); !s) throw Failure{exitcode::kStoreFailure, s.message()};
        if (!key) throw Failure{exitcode::kNotFound, "no log configuration at " + options_.rootKey};
        if (auto s = registry::FileStore::ExportTree(*key, options_.rootKey, args[0]); !s)
            throw Failure{exitcode::kStoreFailure, s.message()};
        return exitcode::kOk;
    }

    int ImportCommand(const std::vector<std::string>& args) {
        if (args.size() != 1) throw Failure{exitcode::kUsage, "import takes one file name"};
        (void)Root();  // a new store receives the default configuration first
        std::ifstream in(args[0], std::ios::binary);
        if (!in) throw Failure{exitcode::kStoreFailure, "cannot read " + args[0]};
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        registry::ParsedFile parsed;
        if (auto s = registry::ParseRegFile(bytes, args[0], parsed); !s) throw Failure{exitcode::kBadValue, s.message()};
        if (parsed.tornTail) throw Failure{exitcode::kBadValue, args[0] + ": the file ends in the middle of a commit"};
        const std::string root = options_.rootKey;
        for (const auto& change : parsed.changes) {
            const bool inside = change.path.size() >= root.size() &&
                                registry::SameName(std::string_view(change.path).substr(0, root.size()), root) &&
                                (change.path.size() == root.size() || change.path[root.size()] == '\\');
            if (!inside)
                throw Failure{exitcode::kBadValue, args[0] + ": the key " + change.path +
                                                       " is outside the log configuration (" + root + ")"};
        }
        if (auto s = store_->Apply(parsed.changes); !s) throw Failure{exitcode::kStoreFailure, s.message()};
        return exitcode::kOk;
    }

    // Restores the error log from the default configuration when it is missing, and removes
    // every stored value of an output that cannot be read, so the dialog reads its default.
    int RepairCommand(const std::vector<std::string>& args) {
        if (!args.empty()) throw Failure{exitcode::kUsage, "repair takes no arguments"};
        const LogConfigNodePtr root = Root();
        std::vector<registry::KeyChange> changes;
        const auto check = [&](const LogConfigNode& node) {
            registry::KeyChange change{node.KeyPath(), false, {}};
            for (std::int32_t index : kAllIndices) {
                if (TryProperty(node, index)) continue;
                change.values.push_back({std::string(hostconfig::PropertyValueName(index)), std::nullopt});
                out_ << "removed " << NodeLabel(node) << ": "
                     << hostconfig::PropertyValueName(index) << " (could not be read)\n";
            }
            if (!change.values.empty()) changes.push_back(std::move(change));
        };
        for (const auto& c : root->Children()) {
            if (c->Children().Count() == 0 || IsErrorLog(*c)) check(*c);
            else
                for (const auto& o : c->Children()) check(*o);
        }
        const std::string errorLog = "ZEL Errors";
        if (!root->Children().Find(errorLog)) {
            std::vector<registry::KeyChange> defaults;
            if (auto s = hostconfig::DefaultConfigurationChanges(options_.rootKey, hostconfig::DefaultLogDirectory(*store_),
                                                                 defaults);
                !s)
                throw Failure{exitcode::kStoreFailure, s.message()};
            const std::string key = options_.rootKey + "\\" + errorLog;
            for (auto& change : defaults)
                if (registry::SameName(change.path, key)) changes.push_back(std::move(change));
            out_ << "restored " << errorLog << " with its default settings\n";
        }
        if (changes.empty()) {
            out_ << "nothing to repair\n";
            return exitcode::kOk;
        }
        if (auto s = store_->Apply(changes); !s) throw Failure{exitcode::kStoreFailure, s.message()};
        return exitcode::kOk;
    }

public:
    // Every unreadable value met, for the report after the command's own output.
    const std::vector<std::string>& Unreadable() const noexcept { return unreadable_; }

private:
    std::vector<std::string> unreadable_;
    Options options_;
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<registry::FileStore> fileStore_;
    registry::Store* store_ = nullptr;
};

}  // namespace

int RunDiagsConfig(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool json = false;
    // A failure as the command's last word: a text on standard error, and with --json the same
    // as an object on standard output.
    const auto fail = [&](int code, const std::string& message) {
        err << "diagsconfig: " << message << "\n";
        if (code == exitcode::kUsage) err << kUsageText;
        if (json) {
            JsonWriter writer(out);
            writer.BeginObject().Key("exitCode").Integer(code).Key("message").String(message).EndObject();
            writer.Finish();
        }
        return code;
    };
    try {
        Options options;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if ((args[i] == "--config" || args[i] == "--root") && i + 1 < args.size()) {
                (args[i] == "--config" ? options.configFile.emplace() : options.rootKey) = args[i + 1];
                ++i;
            } else if (args[i] == "--help" || args[i] == "-h") {
                out << kUsageText;
                return exitcode::kOk;
            } else if (args[i] == "--json") {
                json = options.json = true;
            } else if (args[i].starts_with("-") && TakesOwnOptions(options.rest)) {
                options.rest.push_back(args[i]);
            } else if (args[i].starts_with("--")) {
                throw Failure{exitcode::kUsage, "unknown option " + args[i]};
            } else {
                options.rest.push_back(args[i]);
            }
        }
        Tool tool(std::move(options), out, err);
        const int code = tool.Run();
        for (const std::string& bad : tool.Unreadable()) err << "diagsconfig: " << bad << "\n";
        if (!tool.Unreadable().empty()) err << "diagsconfig: run \"diagsconfig repair\" to remove them\n";
        return code == exitcode::kOk && !tool.Unreadable().empty() ? exitcode::kBadValue : code;
    } catch (const Failure& f) {
        return fail(f.code, f.message);
    } catch (const RuntimeError& e) {
        return fail(exitcode::kBadValue, e.Description());
    } catch (const std::exception& e) {
        return fail(exitcode::kStoreFailure, e.what());
    }
}

}  // namespace diags::tools
