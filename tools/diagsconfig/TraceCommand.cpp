#include "tools/diagsconfig/TraceCommand.h"

#include <cstdlib>
#include <optional>
#include <string_view>

#include "base/RuntimeError.h"
#include "base/Text.h"
#include "component/CDiagnosticsConfig.h"
#include "dialog/DialogNames.h"
#include "dialog/frmDiagsConfig.h"
#include "hostconfig/LogConfiguration.h"
#include "hostconfig/Properties.h"
#include "platform/Platform.h"
#include "platform/registry/Encoding.h"
#include "services/ResourceStrings.h"
#include "tools/diagsconfig/Commands.h"
#include "tools/diagsconfig/Json.h"

namespace diags::tools {
namespace {

namespace registry = platform::registry;
namespace prop = hostconfig::prop;
using hostconfig::PropertyValue;

// ---------------------------------------------------------------- the command line
struct TraceRequest {
    enum class Verb { List, On, Off } verb = Verb::List;
    std::vector<std::string> names;  // UTF-8, as given
    bool all = false;
    bool yes = false;
    std::optional<std::string> file, directory, size;
    std::optional<int> mode;  // option index on the panel: 0 append, 1 circular, 2 overwrite
    std::optional<bool> monitor;
    bool TouchesFile() const { return file || directory || size || mode; }
    bool TouchesPanel() const { return TouchesFile() || monitor; }
};

// The usage text follows (the tool's, which shows trace's options).
[[noreturn]] void Usage(const std::string& why) { throw Failure{exitcode::kUsage, why}; }

TraceRequest Parse(const std::vector<std::string>& args) {
    TraceRequest request;
    if (args.empty()) return request;
    if (args[0] == "on") request.verb = TraceRequest::Verb::On;
    else if (args[0] == "off") request.verb = TraceRequest::Verb::Off;
    else Usage("trace takes on or off, not \"" + args[0] + "\"");
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) Usage(a + " needs a value");
            return args[++i];
        };
        if (a == "--all") request.all = true;
        else if (a == "--yes" || a == "-y") request.yes = true;
        else if (a == "--file") request.file = value();
        else if (a == "--dir") request.directory = value();
        else if (a == "--size") request.size = value();
        else if (a == "--append" || a == "--circular" || a == "--overwrite") {
            const int mode = a == "--append" ? 0 : a == "--circular" ? 1 : 2;
            if (request.mode && *request.mode != mode) Usage("choose one of --append, --circular, --overwrite");
            request.mode = mode;
        } else if (a == "--monitor" || a == "--no-monitor") {
            request.monitor = a == "--monitor";
        } else if (a.starts_with("--")) {
            Usage("unknown option " + a);
        } else {
            request.names.push_back(a);
        }
    }
    const bool on = request.verb == TraceRequest::Verb::On;
    if (on && request.names.empty()) Usage("name the editors or tasks to trace");
    if (on && request.all) Usage("--all goes with trace off");
    if (!on && request.TouchesPanel()) Usage("trace off takes no output options");
    if (!on && request.all == !request.names.empty()) Usage("trace off takes names or --all");
    if (request.size) {
        double kb = 0;
        const bool digits = !request.size->empty() && request.size->find_first_not_of("0123456789") == std::string::npos;
        if (!digits || !hostconfig::TextToDouble(*request.size, kb) || kb < 24 || kb > 99999)
            throw Failure{exitcode::kBadValue, "--size must be a whole number from 24 to 99999 (kilobytes), not \"" +
                                                   *request.size + "\""};
    }
    return request;
}

// ---------------------------------------------------------------- the store before and after
using Values = std::vector<PropertyValue>;  // by property index
struct StoredOutput {
    std::string label;  // "Component\Output" (UTF-8)
    Values values;
};
using Snapshot = std::vector<StoredOutput>;

constexpr std::int32_t kShownProperties[] = {prop::kLogToFile,      prop::kDebugMonitor, prop::kAppendToFile,
                                             prop::kCircularLogFile, prop::kDirectory,    prop::kFileName,
                                             prop::kFileSize,        prop::kErrorThreshold, prop::kMessageDll};

Snapshot Read(registry::Store& store, const std::string& rootKey) {
    hostconfig::LogConfigNodePtr root;
    if (auto s = hostconfig::LogConfiguration::TryOpen(store, rootKey, true, root); !s)
        throw Failure{exitcode::kStoreFailure, s.message()};
    Snapshot snapshot;
    const auto take = [&](std::string label, const hostconfig::LogConfigNode& node) {
        Values values(9);
        for (std::int32_t index = 0; index < 9; ++index) values[static_cast<std::size_t>(index)] = node.Property(index);
        snapshot.push_back({registry::Cp1252ToUtf8(label), std::move(values)});
    };
    for (const auto& component : root->Children()) {
        if (component->Children().Count() == 0) take(std::string(component->Name()), *component);
        for (const auto& output : component->Children()) take(std::string(component->Name()) + "\\" + std::string(output->Name()), *output);
    }
    return snapshot;
}

std::string ValueText(const PropertyValue& v) {
    if (const bool* b = std::get_if<bool>(&v)) return *b ? "true" : "false";
    if (const auto* i = std::get_if<std::int16_t>(&v)) return std::to_string(*i);
    if (const double* d = std::get_if<double>(&v)) return hostconfig::DoubleToText(*d);
    if (const auto* s = std::get_if<std::string>(&v)) return "\"" + registry::Cp1252ToUtf8(*s) + "\"";
    return "(none)";
}

void JsonValue(JsonWriter& json, const PropertyValue& v) {
    if (const bool* b = std::get_if<bool>(&v)) json.Bool(*b);
    else if (const auto* i = std::get_if<std::int16_t>(&v)) json.Integer(*i);
    else if (const double* d = std::get_if<double>(&v)) json.Number(*d);
    else if (const auto* s = std::get_if<std::string>(&v)) json.String(registry::Cp1252ToUtf8(*s));
    else json.Null();
}

struct Change {
    std::string label;
    std::int32_t index;
    PropertyValue before, after;
};

std::vector<Change> Diff(const Snapshot& before, const Snapshot& after) {
    std::vector<Change> changes;
    for (const StoredOutput& now : after) {
        const StoredOutput* was = nullptr;
        for (const StoredOutput& candidate : before)
            if (candidate.label == now.label) was = &candidate;
        for (const std::int32_t index : kShownProperties) {
            const auto i = static_cast<std::size_t>(index);
            const PropertyValue old = was ? was->values[i] : PropertyValue{};
            if (!(old == now.values[i])) changes.push_back({now.label, index, old, now.values[i]});
        }
    }
    return changes;
}

// ---------------------------------------------------------------- the person at the screen
// Answers the dialog's message boxes: the exit question with No (the command closes the dialog
// only after its save, so anything still pending was refused by the save), any other question
// with Yes under --yes and with Cancel otherwise (the dialog then stops without saving further);
// every other box is acknowledged and kept for the report.
class ConsoleUser final : public platform::Interaction {
public:
    explicit ConsoleUser(bool yes) : yes_(yes) {}
    struct Box {
        std::string text;
        std::int32_t style;
        std::string title;
    };
    std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) override {
        if (style == platform::mb::kQuestionYesNoCancel) {
            if (text == ResourceStrings::Instance().GetString(dlgres::kExitQuestion)) return platform::mb::kNo;
            if (yes_) {
                answered.emplace_back(text);
                return platform::mb::kYes;
            }
            unanswered = std::string(text);
            return platform::mb::kCancel;
        }
        boxes.push_back({std::string(text), style, std::string(title)});
        return platform::mb::kOk;
    }
    std::optional<std::string> BrowseForFolder(platform::WindowHandle, std::string_view, std::uint32_t) override {
        return std::nullopt;
    }
    void SendKeys(std::string_view) override {}
    std::int16_t AsyncKeyState(std::int32_t) override { return 0; }
    std::int16_t MousePointer() override { return pointer_; }
    void SetMousePointer(std::int16_t pointer) override { pointer_ = pointer; }

    std::vector<std::string> answered;   // questions answered yes
    std::optional<std::string> unanswered;  // the question that stopped the save
    std::vector<Box> boxes;

private:
    bool yes_;
    std::int16_t pointer_ = 0;
};

// ---------------------------------------------------------------- the dialog, headless
enum class State { Off, On, Partly };
constexpr std::string_view StateText(State s) { return s == State::On ? "on" : s == State::Off ? "off" : "partly"; }

struct ModuleRow {
    std::string name;  // UTF-8: the map's name of the editor or task
    State state;
};
struct Listing {
    std::string editorsTitle, tasksTitle;
    std::vector<ModuleRow> editors, tasks;
    bool logToFile = false, debugMonitor = false;
    std::string mode, directory, fileName, fileSize;
};

State StateOf(frmDiagsConfig& d, const forms::Node& node) {
    if (node.Checked()) return State::On;
    const auto anyOn = [&](std::string_view name) {
        const std::shared_ptr<CTraceSetting> setting = d.moDiagMap->GetTraceSetting(name);
        if (!setting || !setting->LinkedOutputs()) return false;
        for (const auto& output : *setting->LinkedOutputs())
            if (output->LogToFile || output->DebugMonitor) return true;
        return false;
    };
    if (node.Parent() == nullptr) {  // a root: on when all its modules are, off when none writes
        for (const forms::Node* child = node.Child(); child; child = child->Next())
            if (child->Checked() || anyOn(child->Key())) return State::Partly;
        return State::Off;
    }
    return anyOn(node.Key()) ? State::Partly : State::Off;
}

std::vector<forms::Node*> Roots(frmDiagsConfig& d) {
    return {&d.tvTrace.Item(nodekey::kEditorsRoot), &d.tvTrace.Item(nodekey::kTasksRoot)};
}

Listing List(frmDiagsConfig& d) {
    Listing listing;
    const auto rows = [&](forms::Node& root, std::string& title, std::vector<ModuleRow>& out) {
        title = registry::Cp1252ToUtf8(root.Text());
        for (forms::Node* node = root.Child(); node; node = node->Next())
            out.push_back({registry::Cp1252ToUtf8(node->Key()), StateOf(d, *node)});
    };
    const auto roots = Roots(d);
    rows(*roots[0], listing.editorsTitle, listing.editors);
    rows(*roots[1], listing.tasksTitle, listing.tasks);
    listing.logToFile = d.chkLogfile.Value() == 1;
    listing.debugMonitor = d.chkDbgMntr.Value() == 1;
    listing.mode = d.optFileOptions(1).Value() ? "Circular" : d.optFileOptions(0).Value() ? "Append" : "Overwrite";
    listing.directory = registry::Cp1252ToUtf8(d.txtDirectory.Text());
    listing.fileName = registry::Cp1252ToUtf8(d.txtFileName.Text());
    listing.fileSize = std::string(Trim(d.txtFileSize.Text()));
    return listing;
}

// The trace-tree node a name stands for: a module by its map name or its shown text, or a root.
forms::Node* FindNode(frmDiagsConfig& d, std::string_view utf8Name) {
    const std::string name = registry::Utf8ToCp1252(utf8Name);
    for (forms::Node* root : Roots(d)) {
        if (EqualsNoCase(root->Key(), name) || EqualsNoCase(root->Text(), name)) return root;
        for (forms::Node* node = root->Child(); node; node = node->Next())
            if (EqualsNoCase(node->Key(), name) || EqualsNoCase(node->Text(), name)) return node;
    }
    return nullptr;
}

// The user replaces what a box holds, as a paste over its whole text does.
template <class Box>
void Retype(Box& box, const std::string& text) {
    if (!box.Enabled()) return;  // a person cannot type there either
    box.UserFocus();
    const std::string ansi = registry::Utf8ToCp1252(text);
    box.UserEdited(ansi, static_cast<std::int32_t>(ansi.size()), 0);
}

struct Outcome {
    bool shown = false;  // the modal loop ran
    std::vector<std::string> unknown;
    std::vector<std::string> validNames;
    Listing listing;
    bool saved = false;
    bool stoppedBeforeSave = false;
    bool sizeRefused = false;
    std::optional<std::string> raised;  // a run-time error the script met
};

void Script(frmDiagsConfig& d, const TraceRequest& request, ConsoleUser& user, Outcome& outcome) {
    outcome.shown = true;
    outcome.listing = List(d);
    if (request.verb == TraceRequest::Verb::List) {
        d.UserClose();
        return;
    }
    std::vector<forms::Node*> nodes;
    for (const std::string& name : request.names) {
        forms::Node* node = FindNode(d, name);
        if (!node) outcome.unknown.push_back(name);
        else nodes.push_back(node);
    }
    if (!outcome.unknown.empty()) {
        for (const ModuleRow& row : outcome.listing.editors) outcome.validNames.push_back(row.name);
        for (const ModuleRow& row : outcome.listing.tasks) outcome.validNames.push_back(row.name);
        d.UserClose();
        return;
    }

    if (request.verb == TraceRequest::Verb::Off && request.all) {
        d.abMenuBar.UserClickTool("mnuBandTool", toolkey::kClearAll);
    } else if (request.verb == TraceRequest::Verb::Off) {
        for (forms::Node* node : nodes) {
            // A module that is not ticked but still has outputs writing is ticked and unticked,
            // which switches all of its outputs off.
            if (!node->Checked() && StateOf(d, *node) != State::Off) d.tvTrace.UserToggleCheck(*node);
            if (node->Checked()) d.tvTrace.UserToggleCheck(*node);
        }
    } else {
        for (forms::Node* node : nodes)
            if (!node->Checked()) d.tvTrace.UserToggleCheck(*node);
        if (request.TouchesFile() && d.chkLogfile.Value() != 1) d.chkLogfile.UserClick();
        if (request.mode) d.optFileOptions(*request.mode).UserClick();
        if (request.directory) Retype(d.txtDirectory, *request.directory);
        if (request.file) Retype(d.txtFileName, *request.file);
        if (request.size) {
            Retype(d.txtFileSize, *request.size);
            // The box takes a size only for a circular log; anything else it refuses.
            if (Trim(d.txtFileSize.Text()) != *request.size) {
                outcome.sizeRefused = true;
                d.UserClose();
                return;
            }
        }
        if (request.monitor && (d.chkDbgMntr.Value() == 1) != *request.monitor) d.chkDbgMntr.UserClick();
    }
    if (!user.boxes.empty()) {
        // The dialog told the person something (nothing would be written, say): stop there.
        outcome.stoppedBeforeSave = true;
        d.UserClose();
        return;
    }
    d.UserKeyDown('S', forms::shift::kCtrl);
    outcome.saved = d.mbSaved;
    d.UserClose();
}

// Runs the dialog with the script as its user. The dialog starts and ends as the component's
// entry object runs it, services included.
Outcome RunDialog(const TraceRequest& request, ConsoleUser& user) {
    Outcome outcome;
    platform::ScopedPart<platform::Interaction> person(&platform::Platform::interaction, user);
    CDiagnosticsConfig entry;
    entry.SetModalLoop([&](forms::Form& form) {
        auto& dialog = static_cast<frmDiagsConfig&>(form);
        try {
            Script(dialog, request, user, outcome);
        } catch (const RuntimeError& e) {
            // Nothing is saved after it: the dialog closes answering No to any question.
            outcome.raised = e.Description();
            if (dialog.Loaded()) dialog.UserClose();
        }
    });
    ErrorRef error;
    const ResultCode result = entry.ConfigureDiagnostics(error);
    if (outcome.raised) throw Failure{exitcode::kStoreFailure, "the dialog failed: " + *outcome.raised};
    if (result == ResultCode::Failure && !outcome.shown)
        throw Failure{exitcode::kStoreFailure,
                      "the dialog could not start: " + registry::Cp1252ToUtf8(error ? error->description : "")};
    return outcome;
}

// ---------------------------------------------------------------- reports
std::string Pad(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

void PrintListing(const Listing& l, std::ostream& out) {
    const auto rows = [&](const std::string& title, const std::vector<ModuleRow>& rows) {
        out << title << "\n";
        for (const ModuleRow& row : rows) out << "  " << Pad(row.name, 30) << StateText(row.state) << "\n";
    };
    rows(l.editorsTitle, l.editors);
    rows(l.tasksTitle, l.tasks);
    out << "Shared output values\n"
        << "  " << Pad("Log to file", 30) << (l.logToFile ? "on" : "off") << "\n"
        << "  " << Pad("Debug monitor", 30) << (l.debugMonitor ? "on" : "off") << "\n"
        << "  " << Pad("File mode", 30) << l.mode << "\n"
        << "  " << Pad("Directory", 30) << l.directory << "\n"
        << "  " << Pad("File name", 30) << l.fileName << "\n"
        << "  " << Pad("File size (KB)", 30) << l.fileSize << "\n";
}

void JsonListing(const Listing& l, JsonWriter& json) {
    const auto rows = [&](const char* key, const std::vector<ModuleRow>& rows) {
        json.Key(key).BeginArray();
        for (const ModuleRow& row : rows)
            json.BeginObject().Key("name").String(row.name).Key("state").String(StateText(row.state)).EndObject();
        json.EndArray();
    };
    rows("editors", l.editors);
    rows("tasks", l.tasks);
    json.Key("panel").BeginObject();
    json.Key("logToFile").Bool(l.logToFile).Key("debugMonitor").Bool(l.debugMonitor).Key("fileMode").String(l.mode);
    json.Key("directory").String(l.directory).Key("fileName").String(l.fileName).Key("fileSize").String(l.fileSize);
    json.EndObject();
}

void PrintChanges(const std::vector<Change>& changes, std::ostream& out) {
    if (changes.empty()) {
        out << "nothing changed\n";
        return;
    }
    const std::string* last = nullptr;
    for (const Change& c : changes) {
        if (!last || *last != c.label) out << c.label << "\n";
        last = &c.label;
        out << "  " << Pad(std::string(hostconfig::PropertyValueName(c.index)), 16) << ValueText(c.before) << " -> "
            << ValueText(c.after) << "\n";
    }
}

void JsonChanges(const std::vector<Change>& changes, JsonWriter& json) {
    json.Key("changes").BeginArray();
    for (const Change& c : changes) {
        json.BeginObject().Key("output").String(c.label).Key("property").String(hostconfig::PropertyValueName(c.index));
        json.Key("before");
        JsonValue(json, c.before);
        json.Key("after");
        JsonValue(json, c.after);
        json.EndObject();
    }
    json.EndArray();
}

// Points the dialog's store at the console's: the dialog reads the system's store at the root
// key the environment names.
class ScopedRoot {
public:
    explicit ScopedRoot(const std::string& rootKey) {
        if (const char* now = std::getenv("DIAGS_LOG_CONFIG_ROOT")) saved_ = now;
        Set(rootKey.c_str());
    }
    ~ScopedRoot() { Set(saved_ ? saved_->c_str() : nullptr); }
    ScopedRoot(const ScopedRoot&) = delete;
    ScopedRoot& operator=(const ScopedRoot&) = delete;

private:
    static void Set(const char* value) {
#ifdef _WIN32
        _putenv_s("DIAGS_LOG_CONFIG_ROOT", value ? value : "");
#else
        if (value) setenv("DIAGS_LOG_CONFIG_ROOT", value, 1);
        else unsetenv("DIAGS_LOG_CONFIG_ROOT");
#endif
    }
    std::optional<std::string> saved_;
};

}  // namespace

int RunTraceCommand(CommandContext& context, const std::vector<std::string>& args) {
    const TraceRequest request = Parse(args);
    // The dialog works on this system's store: the registry on Windows, the registry file on
    // Linux (which --config names before the store is first used).
    if (&context.store != &registry::NativeStore())
        throw Failure{exitcode::kUsage, "trace works on this system's store; --config " +
                                            context.configFile.value_or("") + " cannot be used here" +
#ifdef _WIN32
                                            " (on Windows the dialog always uses the registry)"
#else
                                            " (set DIAGS_REGISTRY_FILE instead)"
#endif
        };
    ScopedRoot root(context.rootKey);
    const Snapshot before = Read(context.store, context.rootKey);
    ConsoleUser user(request.yes);
    const Outcome outcome = RunDialog(request, user);

    JsonWriter json(context.out);
    if (request.verb == TraceRequest::Verb::List) {
        if (context.json) {
            json.BeginObject();
            JsonListing(outcome.listing, json);
            json.EndObject();
            json.Finish();
        } else {
            PrintListing(outcome.listing, context.out);
        }
        return exitcode::kOk;
    }
    if (!outcome.unknown.empty()) {
        std::string message = "unknown editor or task";
        for (const std::string& name : outcome.unknown) message += " \"" + name + "\"";
        message += "; the editors and tasks are:";
        for (const std::string& name : outcome.validNames) message += "\n  " + name;
        throw Failure{exitcode::kNotFound, message};
    }

    if (outcome.sizeRefused)
        throw Failure{exitcode::kBadValue, "--size sets the cap of a circular log: add --circular (nothing was saved)"};
    const std::vector<Change> changes = Diff(before, Read(context.store, context.rootKey));
    int code = exitcode::kOk;
    std::string message;
    if (user.unanswered) {
        code = exitcode::kQuestion;
        message = *user.unanswered + "\n(nothing was saved; --yes answers yes)";
    } else if (!outcome.saved) {
        code = exitcode::kStopped;
        for (const ConsoleUser::Box& box : user.boxes) message += (message.empty() ? "" : "\n") + box.text;
        if (message.empty()) message = "the dialog did not save";
        for (const ConsoleUser::Box& box : user.boxes)
            if (box.title == ResourceStrings::Instance().GetString(dlgres::kErrorTitle)) code = exitcode::kStoreFailure;
    }
    if (context.json) {
        json.BeginObject().Key("saved").Bool(outcome.saved && code == exitcode::kOk).Key("exitCode").Integer(code);
        if (!message.empty()) json.Key("message").String(registry::Cp1252ToUtf8(message));
        json.Key("answeredYes").BeginArray();
        for (const std::string& q : user.answered) json.String(registry::Cp1252ToUtf8(q));
        json.EndArray();
        JsonChanges(changes, json);
        json.EndObject();
        json.Finish();
    } else {
        for (const std::string& q : user.answered) context.out << registry::Cp1252ToUtf8(q) << " yes\n";
        if (code == exitcode::kOk || !changes.empty()) PrintChanges(changes, context.out);
    }
    if (code != exitcode::kOk && !context.json) context.err << "diagsconfig: " << registry::Cp1252ToUtf8(message) << "\n";
    return code;
}

}  // namespace diags::tools
