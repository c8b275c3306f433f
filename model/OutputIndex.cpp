#include "model/OutputIndex.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "base/RuntimeError.h"
#include "base/Text.h"

namespace diags {

namespace {

// Finds which of a fixed set of names occur in a text, compared without regard to case, in
// one pass over the text: a keyword automaton over the case-folded bytes. Bytes that occur
// in no name share one class, so the transition table stays small enough for the cache.
class NameMatcher {
public:
    explicit NameMatcher(std::span<const std::string> names) : ends_(1), hasMatch_(1, 0) {
        std::vector<std::string> folded;
        for (const auto& name : names) folded.push_back(FoldCase(name));
        classOf_.fill(0);
        classes_ = 1;
        for (const auto& name : folded)
            for (const char c : name) {
                auto& cls = classOf_[static_cast<unsigned char>(c)];
                if (cls == 0) cls = static_cast<std::uint16_t>(classes_++);
            }
        // Raw bytes map to the class of their folded form, so matching needs no folding.
        for (int b = 0; b < 256; ++b) classOf_[b] = classOf_[static_cast<unsigned char>(FoldChar(static_cast<char>(b)))];
        next_.assign(classes_, kNone);
        for (std::size_t id = 0; id < folded.size(); ++id) Insert(folded[id], id);
        Link();
    }

    // Calls found(id) once for every name that occurs in `text`.
    template <class Found>
    void Match(std::string_view text, std::vector<std::uint8_t>& seen, Found&& found) const {
        std::uint32_t state = 0;
        Report(state, seen, found);  // an empty name occurs in every text
        for (const char c : text) {
            state = next_[state * classes_ + classOf_[static_cast<unsigned char>(c)]];
            if (hasMatch_[state]) Report(state, seen, found);
        }
        for (const std::size_t id : reported_) seen[id] = 0;
        reported_.clear();
    }

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    std::uint32_t AddState() {
        ends_.emplace_back();
        hasMatch_.push_back(0);
        next_.resize(next_.size() + classes_, kNone);
        return static_cast<std::uint32_t>(ends_.size() - 1);
    }

    void Insert(const std::string& folded, std::size_t id) {
        std::uint32_t state = 0;
        for (const char c : folded) {
            const std::size_t slot = state * classes_ + classOf_[static_cast<unsigned char>(c)];
            if (next_[slot] == kNone) {
                const std::uint32_t added = AddState();
                next_[slot] = added;
            }
            state = next_[slot];
        }
        ends_[state].push_back(id);
    }

    // Breadth-first: fail links, the complete transition table, and for every state the names
    // that end there or at any state down its fail chain.
    void Link() {
        std::vector<std::uint32_t> fail(ends_.size(), 0);
        std::vector<std::uint32_t> queue;
        for (std::size_t cls = 0; cls < classes_; ++cls) {
            std::uint32_t& to = next_[cls];
            if (to == kNone) to = 0;
            else queue.push_back(to);
        }
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const std::uint32_t s = queue[head];
            const std::uint32_t f = fail[s];
            ends_[s].insert(ends_[s].end(), ends_[f].begin(), ends_[f].end());
            for (std::size_t cls = 0; cls < classes_; ++cls) {
                std::uint32_t& to = next_[s * classes_ + cls];
                if (to == kNone) {
                    to = next_[f * classes_ + cls];
                } else {
                    fail[to] = next_[f * classes_ + cls];
                    queue.push_back(to);
                }
            }
        }
        for (std::size_t s = 0; s < ends_.size(); ++s) hasMatch_[s] = ends_[s].empty() ? 0 : 1;
    }

    template <class Found>
    void Report(std::uint32_t state, std::vector<std::uint8_t>& seen, Found& found) const {
        for (const std::size_t id : ends_[state])
            if (!seen[id]) {
                seen[id] = 1;
                reported_.push_back(id);
                found(id);
            }
    }

    std::array<std::uint16_t, 256> classOf_{};
    std::size_t classes_ = 1;
    std::vector<std::uint32_t> next_;                 // state x class -> state
    std::vector<std::vector<std::size_t>> ends_;      // names found on reaching a state
    std::vector<std::uint8_t> hasMatch_;
    mutable std::vector<std::size_t> reported_;
};

inline void Prefetch(const void* address) noexcept {
#if defined(__GNUC__)
    __builtin_prefetch(address);
#else
    (void)address;
#endif
}

}  // namespace

std::optional<TraceParts> SplitTraceName(std::string_view traceName) {
    const auto dash = traceName.find('-');
    if (dash == std::string_view::npos) return std::nullopt;
    const std::string_view rest = traceName.substr(dash + 1);
    const std::string_view trace = rest.substr(0, rest.find('-'));
    return TraceParts{std::string(Trim(traceName.substr(0, dash))), std::string(Trim(trace))};
}

OutputIndex::OutputIndex(std::span<const std::string> moduleNames, std::span<const std::string> traceNames,
                         const KeyedCollection<COutput>& outputs)
    : moduleMatches_(moduleNames.size()), traceMatches_(traceNames.size()), traceSplittable_(traceNames.size()) {
    for (const auto& output : outputs)
        if (!output) {
            usable_ = false;
            return;
        }

    const NameMatcher modules(moduleNames);
    std::vector<std::uint8_t> seen(moduleNames.size(), 0);

    // Folded component -> (folded trace, row) of every splittable trace row.
    std::unordered_map<std::string, std::vector<std::pair<std::string, std::size_t>>> byComponent;
    for (std::size_t row = 0; row < traceNames.size(); ++row) {
        const auto parts = SplitTraceName(traceNames[row]);
        traceSplittable_[row] = parts.has_value();
        if (parts) byComponent[FoldCase(parts->component)].emplace_back(FoldCase(parts->trace), row);
    }
    // Most outputs belong to other components; their Parent length already tells.
    std::vector<bool> componentLength;
    for (const auto& [component, traces] : byComponent) {
        if (componentLength.size() <= component.size()) componentLength.resize(component.size() + 1);
        componentLength[component.size()] = true;
    }

    // One pass: each output is visited once, for its Key and for its Parent and Name.
    std::string parent;
    std::string name;
    // Large collections live in main memory: fetch the records and keys a few outputs ahead
    // so that the walk is not one cache miss after another.
    constexpr int kAhead = 16;
    auto ahead = outputs.begin();
    for (int i = 0; i < kAhead && ahead != outputs.end(); ++i) {
        Prefetch(ahead->get());
        ++ahead;
    }
    auto keyAhead = outputs.begin();
    for (int i = 0; i < kAhead / 2 && keyAhead != outputs.end(); ++i) ++keyAhead;
    for (const auto& output : outputs) {
        if (ahead != outputs.end()) {
            Prefetch(ahead->get());
            ++ahead;
        }
        if (keyAhead != outputs.end()) {
            Prefetch((*keyAhead)->Key.data());
            Prefetch((*keyAhead)->Parent.data());
            ++keyAhead;
        }
        modules.Match(output->Key, seen, [&](std::size_t row) { moduleMatches_[row].push_back(&output); });
        const std::size_t length = output->Parent.size();
        if (length >= componentLength.size() || !componentLength[length]) continue;
        parent.assign(output->Parent);
        for (char& c : parent) c = FoldChar(c);
        const auto it = byComponent.find(parent);
        if (it == byComponent.end()) continue;
        name.assign(output->Name);
        for (char& c : name) c = FoldChar(c);
        for (const auto& [trace, row] : it->second)
            if (trace == name) traceMatches_[row].push_back(&output);
    }
}

const OutputList& OutputIndex::TraceMatches(std::size_t row) const {
    if (!traceSplittable_.at(row)) throw RuntimeError(err::kSubscript, "Subscript out of range");
    return traceMatches_[row];
}

}  // namespace diags
