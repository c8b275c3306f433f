// A seeded random person in the headless dialog: clicks, ticks, tab switches, keys and
// shortcuts, menu and tool-bar commands, random and hostile typing, random answers to every
// message box, saves and closes, only on controls that are shown and enabled. After every step
// the invariants below are checked; a failure prints its seed and the shortest action sequence
// found that still fails.
//
// DIAGS_MONKEY_SECONDS bounds the run (default: a short run), DIAGS_MONKEY_SEED replays one seed.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "hostconfig/Properties.h"
#include "platform/registry/FileStore.h"
#include "tests/dialog/DialogHarness.h"

namespace diags::testing {
namespace {

namespace prop = hostconfig::prop;
using platform::registry::RegValue;

enum class Kind {
    TraceCheck, TraceClick, TraceKey, ModuleClick, ModuleKey, Tab, LogFile, DebugMonitor, FileMode,
    TypeDirectory, TypeFileName, TypeSize, Browse, Menu, FormKey, Save, Close, Resize, Splitter, Count
};
constexpr const char* kKindNames[] = {"TraceCheck", "TraceClick", "TraceKey", "ModuleClick", "ModuleKey", "Tab",
                                      "LogFile", "DebugMonitor", "FileMode", "TypeDirectory", "TypeFileName",
                                      "TypeSize", "Browse", "Menu", "FormKey", "Save", "Close", "Resize", "Splitter"};

// One step: what the person does, and the random numbers that pick its target, its text and
// the answers to any message box it brings up. Replayed from these alone.
struct Action {
    Kind kind;
    std::uint32_t pick;
    std::uint32_t answers;
};

std::string Describe(const std::vector<Action>& actions) {
    std::ostringstream out;
    for (const Action& a : actions)
        out << "  {" << kKindNames[static_cast<int>(a.kind)] << ", " << a.pick << ", " << a.answers << "}\n";
    return out.str();
}

const std::vector<std::string>& HostileTexts() {
    static const std::vector<std::string> texts = {
        std::string(10000, 'x'), "\x01\x02\x1f\x7f", "\xF0\x9F\x98\x80\xF0\x9F\x8E\x89", "a/b\\c//..\\..", "..",
        "CON", "NUL.log", "COM1", "LPT9.txt", "aux", "  padded  ", "name:with*bad?chars<>|\"", "logs", "Trace.log",
"/", "", "\t", "%1 %2 %%"};
    return texts;
}

// Answers every message box at random, from the answers a box of its style offers.
class RandomPerson final : public platform::Interaction {
public:
    explicit RandomPerson(platform::Interaction& next) : next_(next) {}
    std::int32_t ShowMessage(std::string_view text, std::int32_t style, std::string_view title) override {
        boxes.push_back({std::string(text), style, std::string(title)});
        if (style == platform::mb::kQuestionYesNoCancel) {
            constexpr std::int32_t choices[] = {platform::mb::kYes, platform::mb::kNo, platform::mb::kCancel};
            return choices[rng() % 3];
        }
        return platform::mb::kOk;
    }
    std::optional<std::string> BrowseForFolder(platform::WindowHandle, std::string_view, std::uint32_t) override {
        if (rng() % 3 == 0) return std::nullopt;
        return folders.empty() ? std::nullopt : std::optional<std::string>(folders[rng() % folders.size()]);
    }
    void SendKeys(std::string_view keys) override { next_.SendKeys(keys); }
    std::int16_t AsyncKeyState(std::int32_t key) override { return next_.AsyncKeyState(key); }
    std::int16_t MousePointer() override { return next_.MousePointer(); }
    void SetMousePointer(std::int16_t pointer) override { next_.SetMousePointer(pointer); }

    std::mt19937 rng;
    std::vector<std::string> folders;
    std::vector<ScriptedInteraction::Box> boxes;

private:
    platform::Interaction& next_;
};

bool Shown(const forms::Control& control) {
    for (const forms::Control* c = &control; c; c = c->Container())
        if (!c->Visible()) return false;
    return true;
}
bool Usable(const forms::Control& control) { return Shown(control) && control.Enabled(); }

forms::Node* NthNode(forms::TreeView& tree, std::uint32_t pick) {
    const std::int32_t count = tree.Count();
    return count == 0 ? nullptr : &tree.Item(static_cast<std::int32_t>(pick % static_cast<std::uint32_t>(count)) + 1);
}

class Monkey : public DialogTest {
protected:
    Monkey() : randomPart_(&platform::Platform::interaction, person_) {
        person_.folders = {LogDir(), TempPath("browsed"), "relative"};
    }

    // Runs the actions from a fresh configuration; the first broken invariant, or empty.
    std::string Play(const std::vector<Action>& actions, std::uint32_t configSeed) {
        ResetStore(configSeed);
        std::size_t next = 0;
        std::string failure;
        while (next < actions.size() && failure.empty() && !(deadline_ && std::chrono::steady_clock::now() > *deadline_)) {
            TestDialog dialog;
            ResultCode outcome = ResultCode::None;
            dialog.SetModalLoop([&](forms::Form&) {
                RawValues lastSaved = StoredRaw();
                while (next < actions.size() && failure.empty() && dialog.Loaded() &&
                       !(deadline_ && std::chrono::steady_clock::now() > *deadline_)) {
                    const Action& action = actions[next++];
                    const RawValues before = StoredRaw();
                    const std::size_t savesBefore = saves_;
                    person_.rng.seed(action.answers);
                    person_.boxes.clear();
                    if (const auto raised = RaisedError([&] { Act(dialog, action); }))
                        failure = "a run-time error escaped: " + raised->Description();
                    ++actionsRun_;
                    Digest();
                    if (failure.empty()) failure = Check(dialog, before, lastSaved, saves_ != savesBefore);
                    if (saves_ != savesBefore) lastSaved = StoredRaw();
                }
                if (dialog.Loaded() && failure.empty()) {
                    person_.rng.seed(0);
                    dialog.mbSaved = true;  // the run is over: leave without a question
                    dialog.UserClose();
                }
            });
            outcome = dialog.FormLoad(error);
            Digest();
            const auto code = static_cast<std::int32_t>(outcome);
            if (failure.empty() && (code < 0 || code > 3)) failure = "outcome " + std::to_string(code);
            if (failure.empty() && outcome == ResultCode::Failure)
                failure = "the dialog failed: " + (error ? error->description : std::string("?"));
            error.reset();
        }
        return failure;
    }

    std::vector<Action> Generate(std::uint32_t seed, std::size_t count) const {
        std::mt19937 rng(seed);
        std::vector<Action> actions;
        for (std::size_t i = 0; i < count; ++i) {
            // Closing is rarer than the rest, so a dialog lives for a while.
            Kind kind = static_cast<Kind>(rng() % static_cast<std::uint32_t>(Kind::Count));
            if (kind == Kind::Close && rng() % 4 != 0) kind = Kind::TraceCheck;
            actions.push_back({kind, static_cast<std::uint32_t>(rng()), static_cast<std::uint32_t>(rng())});
        }
        return actions;
    }

    // The shortest sequence found that still fails: drops ever smaller chunks while it fails.
    std::vector<Action> Shrink(std::vector<Action> actions, std::uint32_t configSeed) {
        for (std::size_t chunk = actions.size() / 2; chunk >= 1; chunk /= 2) {
            for (std::size_t at = 0; at + chunk <= actions.size();) {
                std::vector<Action> candidate(actions.begin(), actions.begin() + static_cast<std::ptrdiff_t>(at));
                candidate.insert(candidate.end(), actions.begin() + static_cast<std::ptrdiff_t>(at + chunk), actions.end());
                if (!Play(candidate, configSeed).empty()) actions = std::move(candidate);
                else at += chunk;
            }
        }
        return actions;
    }

    // The time the run must end by: a run in progress stops there (not while shrinking).
    std::optional<std::chrono::steady_clock::time_point> deadline_;
    std::size_t actionsRun_ = 0;
    RandomPerson person_{user};

private:
    // A fresh default configuration; some seeds add values that cannot be read.
    void ResetStore(std::uint32_t configSeed) {
        using platform::registry::KeyChange;
        (void)platform::registry::NativeStore().Apply({KeyChange{hostconfig::DefaultRootKey(), true, {}}});
        (void)Stored();  // installs the default configuration
        if (configSeed % 2 == 1) {
            const std::string root = hostconfig::DefaultRootKey();
            (void)platform::registry::NativeStore().Apply(
                {KeyChange{root + "\\ZEL ReportServer\\Report Source Tracing", false,
                           {{"FileSize", RegValue::Text("abc")}, {"LogToFile", RegValue::Text("maybe")}}},
                 KeyChange{root + "\\ZEL Errors", false, {{"Directory", RegValue::Dword(7)}}}});
        }
        saves_ = 0;
    }

    // Counts the saves run since the last look.
    void Digest() {
        saves_ += static_cast<std::size_t>(Saves());
        lines.clear();
    }

    std::string TextFor(std::uint32_t pick) const {
        std::mt19937 rng(pick);
        if (rng() % 6 == 0) return {};  // deleted
        if (rng() % 2 == 0) return HostileTexts()[rng() % HostileTexts().size()];
        std::string text;
        const std::size_t length = rng() % 12;
        for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(' ' + rng() % 95);
        return text;
    }

    void Type(forms::TextBox& box, std::uint32_t pick) {
        if (!Usable(box)) return;
        box.UserFocus();
        const std::string text = TextFor(pick);
        if (pick % 3 == 0 || text.size() > 100) {
            box.UserEdited(text, static_cast<std::int32_t>(text.size()), 0);  // pasted over everything
        } else {
            box.SetSelStart(0);
            box.SetSelLength(static_cast<std::int32_t>(box.Text().size()));
            box.UserType(text.empty() ? std::string_view("\b") : std::string_view(text));
        }
    }

    void Act(TestDialog& d, const Action& a) {
        const std::uint32_t p = a.pick;
        switch (a.kind) {
            case Kind::TraceCheck:
                if (Usable(d.tvTrace)) if (forms::Node* n = NthNode(d.tvTrace, p)) d.tvTrace.UserToggleCheck(*n);
                break;
            case Kind::TraceClick:
                if (Usable(d.tvTrace)) if (forms::Node* n = NthNode(d.tvTrace, p)) d.tvTrace.UserClickNode(*n);
                break;
            case Kind::TraceKey:
                if (Usable(d.tvTrace)) d.tvTrace.UserKey(static_cast<std::int16_t>(p % 2 ? 32 : 37 + p % 4));
                break;
            case Kind::ModuleClick:
                if (Usable(d.tvModules)) if (forms::Node* n = NthNode(d.tvModules, p)) d.tvModules.UserClickNode(*n);
                break;
            case Kind::ModuleKey:
                if (Usable(d.tvModules)) d.tvModules.UserKey(static_cast<std::int16_t>(p % 2 ? 32 : 37 + p % 4));
                break;
            case Kind::Tab:
                if (Usable(d.tbsOptions)) d.tbsOptions.UserSelectTab(static_cast<std::int32_t>(1 + p % 2));
                break;
            case Kind::LogFile:
                if (Usable(d.chkLogfile)) d.chkLogfile.UserClick();
                break;
            case Kind::DebugMonitor:
                if (Usable(d.chkDbgMntr)) d.chkDbgMntr.UserClick();
                break;
            case Kind::FileMode:
                if (Usable(d.optFileOptions(static_cast<int>(p % 3)))) d.optFileOptions(static_cast<int>(p % 3)).UserClick();
                break;
            case Kind::TypeDirectory: Type(d.txtDirectory, p); break;
            case Kind::TypeFileName: Type(d.txtFileName, p); break;
            case Kind::TypeSize:
                if (Usable(d.txtFileSize) && d.txtFileSize.Enable()) {
                    d.txtFileSize.UserFocus();
                    const std::string digits[] = {"0", "24", "99999", "123456", "7", "abc", "1x2", "\b\b", " "};
                    d.txtFileSize.UserType(digits[p % std::size(digits)]);
                }
                break;
            case Kind::Browse:
                if (Usable(d.cmdBrowse)) d.cmdBrowse.UserClick();
                break;
            case Kind::Menu: {
                std::vector<std::pair<std::string, std::string>> tools;
                for (const auto& band : d.abMenuBar)
                    for (const auto& tool : *band)
                        if (tool->Enabled && tool->Visible) tools.emplace_back(band->Name(), tool->Name());
                if (!tools.empty() && Usable(d.abMenuBar)) {
                    const auto& [band, tool] = tools[p % tools.size()];
                    d.abMenuBar.UserClickTool(band, tool);
                }
                break;
            }
            case Kind::FormKey: {
                constexpr std::int16_t keys[] = {9, 13, 27, 32, 37, 38, 39, 40, 112, 113, 'S', 'C', 'A', 'X', 'H', 'T', 'F'};
                constexpr std::int16_t shifts[] = {0, forms::shift::kShift, forms::shift::kCtrl, forms::shift::kAlt,
                                                   forms::shift::kCtrl | forms::shift::kShift};
                std::int16_t key = keys[p % std::size(keys)];
                std::int16_t shift = shifts[(p / 32) % std::size(shifts)];
                d.UserKeyDown(key, shift);
                if (d.Loaded()) d.UserKeyUp(key, shift);
                break;
            }
            case Kind::Save: d.UserKeyDown('S', forms::shift::kCtrl); break;
            case Kind::Close: d.UserClose(); break;
            case Kind::Resize: d.UserResize(static_cast<std::int32_t>(1500 + p % 12000), static_cast<std::int32_t>(1500 + (p / 7) % 9000)); break;
            case Kind::Splitter: {
                if (!Usable(d.imgSplitter)) break;
                const float x = static_cast<float>(static_cast<std::int32_t>(p % 16000) - 8000);
                d.imgSplitter.UserMouseDown(1, 0, 0, 0);
                d.imgSplitter.UserMouseMove(1, 0, x, 0);
                d.imgSplitter.UserMouseUp(1, 0, x, 0);
                break;
            }
            case Kind::Count: break;
        }
    }

    std::string Check(TestDialog& d, const RawValues& before, const RawValues& lastSaved, bool saved) {
        for (const auto& box : person_.boxes)
            if (box.style == platform::mb::kCritical && box.title == Text(dlgres::kErrorTitle) &&
                box.text.find("ValidPath") == std::string::npos)
                return "a run-time error box: " + box.text;
        // The store file always loads.
        if (const char* file = std::getenv("DIAGS_REGISTRY_FILE")) {
            platform::registry::FileStore fresh(file);
            if (auto s = fresh.Refresh(); !s) return "the store does not load: " + s.message();
        }
        const RawValues now = StoredRaw();
        if (!saved && now != before) return "the store changed without a save";
        if (!d.Loaded() && d.mnResult == ResultCode::Stopped && now != lastSaved)
            return "a close answered No wrote after the last save";
        if (saved && (!d.Loaded() ? d.mnResult == ResultCode::Success : d.mbSaved)) {
            const auto errorLog = now.find("\\ZEL Errors|LogToFile");
            if (errorLog == now.end() || errorLog->second != RegValue::Dword(1)) return "a save left the error log off";
        }
        if (!d.Loaded() || !d.mcolOutputs) return {};
        // Every record saved and not edited since agrees with a fresh read of the store.
        for (const auto& output : *d.mcolOutputs) {
            if (output->DirtyFlag) continue;
            const auto* origin = d.OriginOf(*output);
            if (origin == nullptr) continue;
            const auto unread = d.mUnreadable.find(output.get());
            const auto value = [&](std::int32_t index) -> std::optional<hostconfig::PropertyValue> {
                if (unread != d.mUnreadable.end() && std::ranges::count(unread->second, index)) return std::nullopt;
                const std::string path = origin->node->KeyPath().substr(hostconfig::DefaultRootKey().size());
                const auto found = now.find(path + "|" + std::string(hostconfig::PropertyValueName(index)));
                try {
                    return hostconfig::FromRegistry(index, found == now.end() ? nullptr : &found->second);
                } catch (const RuntimeError&) {
                    return std::nullopt;
                }
            };
            const auto differs = [&](std::int32_t index, const hostconfig::PropertyValue& held) {
                const auto stored = value(index);
                return stored && *stored != held;
            };
            if (differs(prop::kLogToFile, output->LogToFile) || differs(prop::kDebugMonitor, output->DebugMonitor) ||
                differs(prop::kCircularLogFile, output->CircularLogFile) ||
                differs(prop::kAppendToFile, output->CircularLogFile || output->AppendToFile) ||
                differs(prop::kDirectory, output->Directory) || differs(prop::kFileName, output->FileName) ||
                differs(prop::kFileSize, output->FileSize) || differs(prop::kErrorThreshold, output->ErrorThreshold))
                return "the record " + output->Key + " differs from the store";
        }
        return {};
    }

    platform::ScopedPart<platform::Interaction> randomPart_;
    std::size_t saves_ = 0;
};

TEST_F(Monkey, RandomUseKeepsEveryInvariant) {
    const char* secondsText = std::getenv("DIAGS_MONKEY_SECONDS");
    const double seconds = secondsText ? std::atof(secondsText) : 2.0;
    const char* seedText = std::getenv("DIAGS_MONKEY_SEED");
    std::uint32_t seed = seedText ? static_cast<std::uint32_t>(std::strtoul(seedText, nullptr, 10)) : std::random_device{}();
    // Directories the person types are relative to the working directory: keep them in ours.
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::create_directories(TempPath("cwd"));
    std::filesystem::current_path(TempPath("cwd"));
    const auto start = std::chrono::steady_clock::now();
    if (!seedText) deadline_ = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
    int runs = 0;
    do {
        const std::vector<Action> actions = Generate(seed, 150);
        const std::string failure = Play(actions, seed);
        if (!failure.empty()) {
            deadline_.reset();
            const std::vector<Action> shortest = Shrink(actions, seed);
            std::filesystem::current_path(cwd);
            FAIL() << "seed " << seed << " (DIAGS_MONKEY_SEED=" << seed << "): " << failure << "\nshortest sequence ("
                   << shortest.size() << " actions, fails with: " << Play(shortest, seed) << "):\n"
                   << Describe(shortest);
        }
        ++runs;
        ++seed;
    } while (!seedText && std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() < seconds);
    std::filesystem::current_path(cwd);
    std::cout << "monkey: " << runs << " runs, " << actionsRun_ << " actions\n";
}

}  // namespace
}  // namespace diags::testing
