#include "platform/registry/ValueSet.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <vector>

#include "platform/Platform.h"
#include "platform/registry/Encoding.h"
#include "platform/registry/RegTree.h"

namespace diags::platform::registry {

RegValueView::RegValueView(const RegValue& value) : type(value.type), data(value.data) {}

RegValue RegValueView::Copy() const { return RegValue{type, std::string(data)}; }

std::optional<std::string> RegValueView::AsText() const {
    if (type != reg::kSz && type != reg::kExpandSz && type != reg::kMultiSz) return std::nullopt;
    std::string_view bytes = data;
    if (bytes.size() % 2 != 0) return std::nullopt;
    // Up to the first NUL, as the ANSI and wide registry calls hand a string back.
    for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) {
        if (bytes[k] == '\0' && bytes[k + 1] == '\0') {
            bytes = bytes.substr(0, k);
            break;
        }
    }
    std::string out;
    if (!Utf16LeToUtf8(bytes, out)) return std::nullopt;
    return out;
}

std::optional<std::uint32_t> RegValueView::AsDword() const {
    if (type != reg::kDword || data.size() != 4) return std::nullopt;
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k) v = (v << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(k)]);
    return v;
}

ValueSet::Entry ValueSet::const_iterator::operator*() const noexcept {
    const std::uint32_t* entry = block_ + 1 + kWordsPerEntry * at_;
    const char* name = reinterpret_cast<const char*>(block_) + offset_;
    return {std::string_view(name, entry[1]), RegValueView(entry[0], std::string_view(name + entry[1], entry[2]))};
}

ValueSet::const_iterator& ValueSet::const_iterator::operator++() noexcept {
    const std::uint32_t* entry = block_ + 1 + kWordsPerEntry * at_;
    offset_ += entry[1] + entry[2];
    ++at_;
    return *this;
}

std::optional<RegValueView> ValueSet::Find(std::string_view name) const noexcept {
    // Names of other lengths never match (folding keeps every name's length): most are
    // passed over without comparing a character.
    for (const Entry entry : *this)
        if (entry.name.size() == name.size() && SameName(entry.name, name)) return entry.value;
    return std::nullopt;
}

ValueSet ValueSet::With(std::span<const Change> changes) const {
    // The values of the new set, still seen where they are now (this block or the changes);
    // a key's few values are gathered on the stack.
    constexpr std::size_t kOnStack = 16;
    std::array<Entry, kOnStack> onStack;
    std::vector<Entry> onHeap;
    const std::size_t most = size() + changes.size();
    if (most > kOnStack) onHeap.resize(most);
    Entry* const values = most > kOnStack ? onHeap.data() : onStack.data();
    std::size_t count = 0;
    for (const Entry entry : *this) values[count++] = entry;
    for (const Change& change : changes) {
        std::size_t at = 0;
        while (at < count && !SameName(values[at].name, change.name)) ++at;
        if (!change.value) {
            if (at < count) {
                std::move(values + at + 1, values + count, values + at);
                --count;
            }
        } else if (at < count) {
            values[at].value = *change.value;
        } else {
            values[count++] = {change.name, *change.value};
        }
    }

    ValueSet out;
    if (count == 0) return out;
    const std::span<const Entry> kept(values, count);
    const std::size_t header = HeaderBytes(count);
    std::size_t bytes = header;
    for (const Entry& entry : kept) bytes += entry.name.size() + entry.value.data.size();
    if (bytes > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("a key's values are too large");
    const std::size_t words = (bytes + sizeof(std::uint32_t) - 1) / sizeof(std::uint32_t);
    std::shared_ptr<std::uint32_t[]> block = std::make_shared<std::uint32_t[]>(words);
    char* chars = reinterpret_cast<char*>(block.get());
    std::uint32_t* entry = block.get();
    *entry++ = static_cast<std::uint32_t>(count);
    std::size_t at = header;
    const auto place = [&](std::string_view text) {
        if (!text.empty()) std::memcpy(chars + at, text.data(), text.size());
        *entry++ = static_cast<std::uint32_t>(text.size());
        at += text.size();
    };
    for (const Entry& value : kept) {
        *entry++ = value.value.type;
        place(value.name);
        place(value.value.data);
    }
    out.block_ = std::move(block);
    return out;
}

}  // namespace diags::platform::registry
