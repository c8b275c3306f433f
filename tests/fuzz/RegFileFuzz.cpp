// Fuzz target for the registry file reader: any bytes must be either read or refused with a
// message, never crash; whatever is read must write out and read back to the same registry.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>

#include "platform/registry/RegFile.h"

using namespace diags::platform::registry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ParsedFile parsed;
    if (!ParseRegFile(bytes, "fuzz.reg", parsed).ok()) return 0;
    RegKey tree;
    for (const auto& change : parsed.changes) tree.Apply(change);
    std::string text;
    for (const auto& hive : tree.Children()) FormatTree(*hive, hive->Name(), text);
    // Read straight into a tree (what a parse still collects goes in after, as the file store
    // does): the same registry and the same account of the file.
    RegKey streamed;
    ParsedFile direct;
    ParseOptions options;
    options.applyTo = &streamed;
    if (!ParseRegFile(bytes, "fuzz.reg", direct, options).ok() || direct.intactEnd != parsed.intactEnd ||
        direct.tornTail != parsed.tornTail || direct.flushedEnd != parsed.flushedEnd)
        std::abort();
    ApplyAll(streamed, std::move(direct.changes));
    std::string streamedText;
    for (const auto& hive : streamed.Children()) FormatTree(*hive, hive->Name(), streamedText);
    if (streamedText != text) std::abort();
    ParsedFile again;
    if (!ParseRegFile(EncodedHeader(FileEncoding::Utf16Le) + EncodeText(text, FileEncoding::Utf16Le), "again.reg", again)
             .ok())
        std::abort();  // what we write must read back
    RegKey back;
    for (const auto& change : again.changes) back.Apply(change);
    std::string second;
    for (const auto& hive : back.Children()) FormatTree(*hive, hive->Name(), second);
    if (second != text) std::abort();
    return 0;
}
