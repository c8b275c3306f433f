// diagsconfig collect [FILE.zip] [--since TIME]: every log of the configuration, the
// configuration itself and a manifest in one zip file (logbundle/LogBundle.h). A collect that
// runs longer than a second shows its progress on standard error when that is a terminal.
#include <chrono>
#include <cstdio>
#include <ctime>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "logbundle/LogBundle.h"
#include "logbundle/LogInventory.h"
#include "tools/diagsconfig/Commands.h"
#include "tools/diagsconfig/LogsCommand.h"

#ifndef DIAGS_VERSION
#define DIAGS_VERSION "unknown"
#endif

namespace diags::tools {
namespace {

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// Seconds since 1970 from a time given as "YYYY-MM-DD[THH:MM[:SS]]" (UTC) or as an age
// ("30m", "2h", "1d": that long ago).
std::optional<std::int64_t> ParseTime(const std::string& text) {
    if (text.size() >= 2) {
        const char unit = text.back();
        const std::string number = text.substr(0, text.size() - 1);
        if (number.find_first_not_of("0123456789") == std::string::npos && number.size() < 9) {
            const std::int64_t n = std::stoll(number);
            if (unit == 's') return Now() - n;
            if (unit == 'm') return Now() - n * 60;
            if (unit == 'h') return Now() - n * 3600;
            if (unit == 'd') return Now() - n * 86400;
        }
    }
    std::tm tm{};
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char sep = 0;
    const int got = std::sscanf(text.c_str(), "%4d-%2d-%2d%c%2d:%2d:%2d", &y, &mo, &d, &sep, &h, &mi, &s);
    if (got != 3 && got < 6) return std::nullopt;
    if (got > 3 && sep != 'T' && sep != ' ') return std::nullopt;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return std::nullopt;
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
#ifdef _WIN32
    return _mkgmtime(&tm);
#else
    return timegm(&tm);
#endif
}

bool ErrorIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
    return text;
}

// A size as people read it: bytes, KB or MB.
std::string Size(std::uint64_t bytes) {
    if (bytes < 10 * 1024) return std::to_string(bytes) + " bytes";
    if (bytes < 10 * 1024 * 1024) return std::to_string((bytes + 512) / 1024) + " KB";
    return Megabytes(bytes);
}

}  // namespace

int RunCollectCommand(CommandContext& context, const std::vector<std::string>& args) {
    logbundle::BundleOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--since") {
            if (i + 1 >= args.size()) throw Failure{exitcode::kUsage, "--since needs a time"};
            options.since = ParseTime(args[++i]);
            if (!options.since)
                throw Failure{exitcode::kBadValue, "--since takes YYYY-MM-DD[THH:MM[:SS]] (UTC) or an age such as 30m, "
                                                   "2h, 1d, not \"" + args[i] + "\""};
        } else if (args[i].starts_with("-")) {
            throw Failure{exitcode::kUsage, "unknown option " + args[i]};
        } else if (options.zipPath.empty()) {
            options.zipPath = args[i];
        } else {
            throw Failure{exitcode::kUsage, "collect takes one file name"};
        }
    }
    options.machine = logbundle::MachineName();
    options.user = logbundle::UserName();
    options.productFolder = logbundle::ProductFolder(context.store);
    options.version = DIAGS_VERSION;
    if (options.zipPath.empty()) {
        std::string stamp = logbundle::TimeText(Now());
        for (char& c : stamp)
            if (c == ' ') c = '-';
            else if (c == ':') c = '.';
        options.zipPath = "diagslogs-" + (options.machine.empty() ? std::string("machine") : options.machine) + "-" + stamp + ".zip";
    }

    // Progress: on a terminal only, and only once the collect has run for a second.
    const bool terminal = ErrorIsTerminal();
    const auto started = std::chrono::steady_clock::now();
    bool shown = false;
    options.progress = [&](const std::string& file, std::uint64_t done, std::uint64_t total) {
        if (!terminal || std::chrono::steady_clock::now() - started < std::chrono::seconds(1)) return;
        const int percent = total ? static_cast<int>(done * 100 / total) : 100;
        std::string name = file.size() > 40 ? "..." + file.substr(file.size() - 37) : file;
        std::fprintf(stderr, "\rcollecting %3d%% (%s of %s) %-40s", percent > 100 ? 100 : percent, Megabytes(done).c_str(),
                     Megabytes(total).c_str(), name.c_str());
        std::fflush(stderr);
        shown = true;
    };

    logbundle::BundleResult result;
    std::string why;
    const bool made = logbundle::MakeBundle(context.store, context.rootKey, options, result, why);
    if (shown) std::fprintf(stderr, "\r%-80s\r", "");
    if (!made) throw Failure{exitcode::kStoreFailure, why};

    std::size_t included = 0;
    for (const auto& f : result.files) included += f.entry.empty() ? 0 : 1;
    context.out << "wrote " << options.zipPath << ": " << included << (included == 1 ? " log file (" : " log files (")
                << Size(result.bytesIn) << " read, " << Size(result.bytesOut)
                << " in the zip), the configuration and a manifest\n";
    for (const auto& f : result.files) {
        if (f.skipped) context.out << "  left out (older than --since): " << f.path << "\n";
        else if (f.entry.empty()) context.out << "  not included: " << f.path << ": " << f.problem << "\n";
        else if (!f.problem.empty()) context.out << "  read only in part: " << f.path << ": " << f.problem << "\n";
    }
    return exitcode::kOk;
}

}  // namespace diags::tools
