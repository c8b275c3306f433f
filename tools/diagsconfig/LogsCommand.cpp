#include "tools/diagsconfig/LogsCommand.h"

#include "tools/diagsconfig/Commands.h"
#include "tools/diagsconfig/Json.h"
#include "logbundle/LogInventory.h"

namespace diags::tools {
namespace {

using logbundle::Inventory;
using logbundle::LogOutput;
using logbundle::ModeText;
using logbundle::TimeText;

std::string Kilobytes(std::uint64_t bytes) {
    const std::uint64_t tenths = (bytes * 10 + 512) / 1024;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") + " KB";
}

std::string ModeWithCap(const LogOutput& o) {
    std::string text = ModeText(o.settings.mode);
    if (o.settings.mode == hostconfig::FileMode::Circular)
        text += ", cap " + Kilobytes(static_cast<std::uint64_t>(o.settings.fileSizeKb > 0 ? o.settings.fileSizeKb : 24) * 1024);
    return text;
}

void PrintText(const Inventory& inv, const std::string& rootKey, std::ostream& out) {
    if (!inv.configured) out << "no log configuration at " << rootKey << "\n";
    out << "Log files (" << inv.files.size() << ")\n";
    for (const LogOutput& o : inv.files) {
        out << "  " << o.label << "\n    " << o.path << "\n    " << ModeWithCap(o) << "; ";
        if (o.exists)
            out << o.size << " bytes, last written " << (o.lastWrite ? TimeText(*o.lastWrite) + " UTC" : "(unknown)");
        else
            out << "not written yet";
        out << "\n";
    }
    out << "Debug monitor (" << inv.monitors.size() << ")\n";
    for (const std::string& m : inv.monitors) out << "  " << m << "\n";
    if (!inv.warnings.empty()) {
        out << "Warnings (" << inv.warnings.size() << ")\n";
        for (const logbundle::Warning& w : inv.warnings) {
            out << "  " << w.text << "\n";
            for (const std::string& o : w.outputs) out << "      " << o << "\n";
        }
    }
    out << "Worst-case disk use of the " << inv.cappedFiles << " capped logs together: " << Kilobytes(inv.cappedBytes);
    if (inv.uncappedFiles > 0)
        out << "; " << inv.uncappedFiles << (inv.uncappedFiles == 1 ? " file has" : " files have")
            << " no cap (append or overwrite) and " << (inv.uncappedFiles == 1 ? "is" : "are") << " not counted";
    out << "\n";
}

void PrintJson(const Inventory& inv, std::ostream& out) {
    JsonWriter json(out);
    json.BeginObject().Key("configured").Bool(inv.configured).Key("files").BeginArray();
    for (const LogOutput& o : inv.files) {
        json.BeginObject().Key("output").String(o.label).Key("path").String(o.path);
        json.Key("mode").String(ModeText(o.settings.mode));
        json.Key("capKB");
        if (o.settings.mode == hostconfig::FileMode::Circular) json.Number(o.settings.fileSizeKb > 0 ? o.settings.fileSizeKb : 24);
        else json.Null();
        json.Key("exists").Bool(o.exists).Key("size").Integer(static_cast<std::int64_t>(o.size));
        json.Key("lastWrite");
        if (o.lastWrite) json.String(TimeText(*o.lastWrite) + "Z");
        else json.Null();
        json.EndObject();
    }
    json.EndArray().Key("debugMonitor").BeginArray();
    for (const std::string& m : inv.monitors) json.String(m);
    json.EndArray().Key("warnings").BeginArray();
    for (const logbundle::Warning& w : inv.warnings) {
        json.BeginObject().Key("text").String(w.text).Key("outputs").BeginArray();
        for (const std::string& o : w.outputs) json.String(o);
        json.EndArray().EndObject();
    }
    json.EndArray();
    json.Key("worstCaseBytes").Integer(static_cast<std::int64_t>(inv.cappedBytes));
    json.Key("cappedFiles").Integer(static_cast<std::int64_t>(inv.cappedFiles));
    json.Key("uncappedFiles").Integer(static_cast<std::int64_t>(inv.uncappedFiles));
    json.EndObject();
    json.Finish();
}

}  // namespace

int RunLogsCommand(CommandContext& context, const std::vector<std::string>& args) {
    if (!args.empty()) throw Failure{exitcode::kUsage, "logs takes no arguments"};
    Inventory inventory;
    if (auto s = logbundle::TakeInventory(context.store, context.rootKey, inventory); !s)
        throw Failure{exitcode::kStoreFailure, s.message()};
    if (context.json) PrintJson(inventory, context.out);
    else PrintText(inventory, context.rootKey, context.out);
    return exitcode::kOk;
}

}  // namespace diags::tools
