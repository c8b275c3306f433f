#include "logbundle/LogBundle.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>


#include "hostconfig/DefaultConfiguration.h"
#include "hostconfig/LogConfiguration.h"
#include "logbundle/LogInventory.h"
#include "platform/SharedFile.h"
#include "logbundle/ZipWriter.h"
#include "model/CDiagMap.h"
#include "platform/registry/Encoding.h"
#include "platform/registry/RegFile.h"

namespace diags::logbundle {
namespace {

namespace registry = platform::registry;

// Files up to this size are deflated by the helper threads into memory; larger ones are
// streamed into the zip file when their turn comes.
constexpr std::uint64_t kInMemoryUpTo = 128ull << 20;
// How much deflated data the helpers may hold before the writer has taken it.
constexpr std::uint64_t kMaxHeld = 256ull << 20;

struct Job {
    BundledFile file;
    std::string ansiPath;
    bool streamed = false;
    // made by a helper
    bool ready = false;
    bool opened = false;
    std::uint32_t crc = 0;
    std::uint64_t size = 0, held = 0;
    std::vector<std::string> deflated;
};

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// A name inside the zip: '/' separated, without characters archivers refuse.
std::string EntryPart(std::string text) {
    for (char& c : text)
        if (c == '\\' || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            c = '_';
    return text;
}

ReadFn ReaderOf(platform::SharedFile& file, std::atomic<std::uint64_t>& done) {
    return [&file, &done](char* buffer, std::size_t capacity, std::string& why) -> std::int64_t {
        const std::int64_t got = file.Read(buffer, capacity, why);
        if (got > 0) done += static_cast<std::uint64_t>(got);
        return got;
    };
}

std::string Manifest(const BundleOptions& o, const std::string& rootKey, const std::string& store,
                     const BundleResult& r, std::int64_t when) {
    std::string m;
    m += "Diagnostics logs collected " + TimeText(when) + " UTC\r\n";
    m += "Machine: " + o.machine + "\r\n";
    m += "User: " + o.user + "\r\n";
    m += "Product folder: " + o.productFolder + "\r\n";
    m += "Component version: " + o.version + "\r\n";
    m += "Configuration: " + rootKey + " in " + store + " (configuration.reg)\r\n";
    if (o.since) m += "Files written since: " + TimeText(*o.since) + " UTC\r\n";
    m += "Editors and tasks on:";
    if (r.tracesOn.empty()) m += " none";
    for (std::size_t i = 0; i < r.tracesOn.size(); ++i) m += (i ? ", " : " ") + r.tracesOn[i];
    m += "\r\nFiles:\r\n";
    for (const BundledFile& f : r.files) {
        m += "  " + f.path + "\r\n    written by ";
        for (std::size_t at = 0, comma; at < f.label.size(); at = comma + 2) {
            comma = f.label.find(", ", at);
            if (comma == std::string::npos) comma = f.label.size();
            m += (at ? "\r\n               " : "") + f.label.substr(at, comma - at);
        }
        m += "\r\n    ";
        if (f.skipped) {
            m += "not included: last written " + (f.lastWrite ? TimeText(*f.lastWrite) + " UTC" : "(unknown)") +
                 ", before the time asked for";
        } else if (f.entry.empty()) {
            m += "not included: " + f.problem;
        } else {
            m += f.entry + ", " + std::to_string(f.size) + " bytes, last written " +
                 (f.lastWrite ? TimeText(*f.lastWrite) + " UTC" : "(unknown)");
            if (!f.problem.empty()) m += "; reading stopped early: " + f.problem;
        }
        m += "\r\n";
    }
    return m;
}

}  // namespace

std::vector<std::string> TracesOn(registry::Store& store, const std::string& rootKey) {
    std::vector<std::string> out;
    hostconfig::LogConfigNodePtr root;
    if (!hostconfig::LogConfiguration::TryOpen(store, rootKey, false, root)) return out;
    auto outputs = NewCollection<COutput>();
    for (const auto& component : root->Children()) {
        for (const auto& trace : component->Children()) {
            auto output = std::make_shared<COutput>();
            const auto flag = [&](std::int32_t index) {
                const hostconfig::PropertyValue v = trace->Property(index);
                return std::holds_alternative<bool>(v) && std::get<bool>(v);
            };
            output->Name = trace->Name();
            output->Parent = component->Name();
            output->Key = std::string(component->Name()).append(trace->Name());
            output->LogToFile = flag(hostconfig::prop::kLogToFile);
            output->DebugMonitor = flag(hostconfig::prop::kDebugMonitor);
            outputs->Add(output, output->Key);
        }
    }
    CDiagMap map;
    map.InitializeDiagMapDefs();
    map.PopulateCheckedMap(*outputs);
    for (const auto& setting : *map.AllTraceSettings()) {
        const auto& linked = setting->LinkedOutputs();
        if (!linked || linked->Empty()) continue;
        std::size_t writing = 0, all = 0;
        for (const auto& output : *linked) {
            ++all;
            if (output->LogToFile || output->DebugMonitor) ++writing;
        }
        if (writing > 0)
            out.push_back(registry::Cp1252ToUtf8(setting->Name) + (writing == all ? "" : " (partly)"));
    }
    for (const auto& setting : *map.AllTraceSettings()) setting->RemoveLinkedOutputs();
    return out;
}

std::string ProductFolder(registry::Store& store) {
    std::optional<registry::RegKey> key;
    if (store.ReadTree("HKEY_LOCAL_MACHINE\\SOFTWARE\\Veltrane\\Common Files", key).ok() && key)
        if (const auto path = key->FindValue("Path"))
            if (auto text = path->AsText(); text && !text->empty()) return *text;
    return "(not set; the default log folder is " + hostconfig::DefaultLogDirectory(store) + ")";
}

std::string MachineName() { return registry::Cp1252ToUtf8(platform::MachineName()); }

std::string UserName() { return registry::Cp1252ToUtf8(platform::UserName()); }

bool MakeBundle(registry::Store& store, const std::string& rootKey, const BundleOptions& options, BundleResult& result,
                std::string& why) {
    result = BundleResult{};
    Inventory inventory;
    if (auto s = TakeInventory(store, rootKey, inventory); !s) {
        why = s.message();
        return false;
    }
    std::optional<registry::RegKey> tree;
    if (auto s = store.ReadTree(rootKey, tree); !s) {
        why = s.message();
        return false;
    }
    result.tracesOn = TracesOn(store, rootKey);

    // One job per distinct file, in configuration order.
    std::vector<Job> jobs;
    std::map<std::string, std::size_t> seen;
    std::map<std::string, int> entryNames;
    std::uint64_t total = 0;
    for (const LogOutput& output : inventory.files) {
        const std::string ansi = AnsiPathOf(output.settings);
        if (auto it = seen.find(output.path); it != seen.end()) {
            jobs[it->second].file.label += ", " + output.label;
            continue;
        }
        seen.emplace(output.path, jobs.size());
        Job job;
        job.ansiPath = ansi;
        job.file.label = output.label;
        job.file.path = output.path;
        job.file.size = output.size;
        job.file.lastWrite = output.lastWrite;
        if (!output.exists) {
            job.file.problem = "the file does not exist";
        } else if (options.since && output.lastWrite && *output.lastWrite < *options.since) {
            job.file.skipped = true;
        } else {
            std::string name = "logs/" + EntryPart(output.label) + "/" + EntryPart(registry::Cp1252ToUtf8(output.settings.fileName));
            if (int n = ++entryNames[name]; n > 1) name += "." + std::to_string(n);
            job.file.entry = name;
            job.streamed = output.size > kInMemoryUpTo;
            total += output.size;
        }
        jobs.push_back(std::move(job));
    }

    // A bundle that could not be finished is not left behind half written (removed after the
    // writer has closed it).
    struct RemoveUnfinished {
        const std::string& path;
        bool finished = true;
        ~RemoveUnfinished() {
            std::error_code ignored;
            if (!finished) std::filesystem::remove(std::filesystem::path(std::u8string(path.begin(), path.end())), ignored);
        }
    } unfinished{options.zipPath};
    ZipWriter zip;
    if (!zip.Open(options.zipPath, why)) return false;
    unfinished.finished = false;

    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t held = 0;
    std::size_t writing = 0;  // the job the writer takes next
    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> done{0};
    std::atomic<bool> stop{false};
    const auto helper = [&] {
        for (;;) {
            const std::size_t i = next++;
            if (i >= jobs.size() || stop) return;
            Job& job = jobs[i];
            if (!job.file.entry.empty() && !job.streamed) {
                {
                    std::unique_lock lock(mutex);
                    changed.wait(lock, [&] { return stop || held < kMaxHeld || i == writing; });
                }
                if (stop) return;
                platform::SharedFile file;
                std::string problem;
                if (file.Open(job.ansiPath, problem)) {
                    job.opened = true;
                    if (!DeflateAll(ReaderOf(file, done), job.crc, job.size, job.deflated, problem))
                        job.opened = false;
                    for (const std::string& piece : job.deflated) job.held += piece.size();
                }
                job.file.problem = problem;
            }
            {
                std::lock_guard lock(mutex);
                held += job.held;
                job.ready = true;
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> helpers;
    const unsigned count = std::max(1u, std::min<unsigned>(options.threads, static_cast<unsigned>(jobs.size())));
    if (!jobs.empty())
        for (unsigned t = 0; t < count; ++t) helpers.emplace_back(helper);
    struct Join {
        std::vector<std::thread>& threads;
        std::atomic<bool>& stop;
        std::condition_variable& changed;
        void Now() {
            stop = true;
            changed.notify_all();
            for (std::thread& t : threads)
                if (t.joinable()) t.join();
        }
        ~Join() { Now(); }
    } join{helpers, stop, changed};

    const auto report = [&](const std::string& file) {
        if (options.progress) options.progress(file, done.load(), total);
    };
    bool ok = true;
    for (std::size_t i = 0; i < jobs.size() && ok; ++i) {
        Job& job = jobs[i];
        {
            std::unique_lock lock(mutex);
            writing = i;
            changed.notify_all();
            while (!changed.wait_for(lock, std::chrono::milliseconds(200), [&] { return job.ready; })) {
                lock.unlock();
                report(job.file.path);
                lock.lock();
            }
        }
        report(job.file.path);
        if (job.file.entry.empty()) continue;
        const std::int64_t modified = job.file.lastWrite.value_or(Now());
        std::string problem;
        if (job.streamed) {
            platform::SharedFile file;
            if (!file.Open(job.ansiPath, problem)) {
                job.file.problem = problem;
                job.file.entry.clear();
                continue;
            }
            ok = zip.Add(job.file.entry, modified, job.file.size, ReaderOf(file, done), problem);
            if (ok) job.file.problem = problem;
        } else if (!job.opened) {
            job.file.entry.clear();
            continue;
        } else {
            ok = zip.AddDeflated(job.file.entry, modified, job.crc, job.size, job.deflated, problem);
            job.file.size = job.size;
            std::vector<std::string>().swap(job.deflated);
            std::lock_guard lock(mutex);
            held -= job.held;
        }
        changed.notify_all();
        if (!ok) why = "cannot write " + options.zipPath + ": " + problem;
        result.bytesIn += job.file.size;
    }
    join.Now();
    for (Job& job : jobs) result.files.push_back(std::move(job.file));
    if (!ok) return false;

    const std::int64_t now = Now();
    std::string text;
    if (tree) registry::FormatTree(*tree, rootKey, text);
    const std::string reg = registry::EncodedHeader(registry::FileEncoding::Utf16Le) +
                            registry::EncodeText(text, registry::FileEncoding::Utf16Le);
    std::string problem;
    if (!zip.AddBytes("configuration.reg", now, reg, problem) ||
        !zip.AddBytes("manifest.txt", now, Manifest(options, rootKey, store.Location(), result, now), problem) ||
        !zip.Finish(problem)) {
        why = "cannot write " + options.zipPath + ": " + problem;
        return false;
    }
    result.bytesOut = zip.BytesWritten();
    unfinished.finished = true;
    return true;
}

}  // namespace diags::logbundle
