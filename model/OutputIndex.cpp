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
// one pass over the text (a keyword automaton over the case-folded bytes).
class NameMatcher {
public:
    explicit NameMatcher(std::span<const std::string> names) {
        nodes_.emplace_back();
        for (std::size_t id = 0; id < names.size(); ++id) Insert(FoldCase(names[id]), id);
        Link();
    }

    // Calls found(id) once for every name that occurs in `text`.
    template <class Found>
    void Match(std::string_view text, std::vector<std::uint8_t>& seen, Found&& found) const {
        std::uint32_t state = 0;
        Report(state, seen, found);  // an empty name occurs in every text
        for (const char c : text) {
            state = nodes_[state].next[static_cast<unsigned char>(FoldChar(c))];
            Report(state, seen, found);
        }
        for (const std::size_t id : reported_) seen[id] = 0;
        reported_.clear();
    }

private:
    struct Node {
        std::array<std::uint32_t, 256> next{};  // complete transition table once linked
        std::uint32_t fail = 0;
        std::uint32_t dictionary = kNone;        // nearest node down the fail chain that ends a name
        std::vector<std::size_t> ends;           // names ending exactly here
        bool hasChild[256]{};
    };
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

    void Insert(const std::string& folded, std::size_t id) {
        std::uint32_t state = 0;
        for (const char c : folded) {
            const auto b = static_cast<unsigned char>(c);
            if (!nodes_[state].hasChild[b]) {
                nodes_[state].hasChild[b] = true;
                nodes_[state].next[b] = static_cast<std::uint32_t>(nodes_.size());
                nodes_.emplace_back();
            }
            state = nodes_[state].next[b];
        }
        nodes_[state].ends.push_back(id);
    }

    // Breadth-first: fail links, dictionary links and the missing transitions.
    void Link() {
        std::vector<std::uint32_t> queue;
        for (int b = 0; b < 256; ++b)
            if (nodes_[0].hasChild[b]) queue.push_back(nodes_[0].next[b]);
        for (std::size_t head = 0; head < queue.size(); ++head) {
            const std::uint32_t s = queue[head];
            const std::uint32_t f = nodes_[s].fail;
            nodes_[s].dictionary = nodes_[f].ends.empty() ? nodes_[f].dictionary : f;
            for (int b = 0; b < 256; ++b) {
                if (nodes_[s].hasChild[b]) {
                    const std::uint32_t child = nodes_[s].next[b];
                    nodes_[child].fail = nodes_[f].next[b];
                    queue.push_back(child);
                } else {
                    nodes_[s].next[b] = nodes_[f].next[b];
                }
            }
        }
    }

    template <class Found>
    void Report(std::uint32_t state, std::vector<std::uint8_t>& seen, Found& found) const {
        for (std::uint32_t s = nodes_[state].ends.empty() ? nodes_[state].dictionary : state; s != kNone;
             s = nodes_[s].dictionary) {
            for (const std::size_t id : nodes_[s].ends)
                if (!seen[id]) {
                    seen[id] = 1;
                    reported_.push_back(id);
                    found(id);
                }
            if (s == 0) break;
        }
    }

    std::vector<Node> nodes_;
    mutable std::vector<std::size_t> reported_;
};

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
    IndexModules(moduleNames, outputs);
    IndexTraces(traceNames, outputs);
}

void OutputIndex::IndexModules(std::span<const std::string> moduleNames, const KeyedCollection<COutput>& outputs) {
    const NameMatcher matcher(moduleNames);
    std::vector<std::uint8_t> seen(moduleNames.size(), 0);
    for (const auto& output : outputs)
        matcher.Match(output->Key, seen, [&](std::size_t row) { moduleMatches_[row].push_back(output); });
}

void OutputIndex::IndexTraces(std::span<const std::string> traceNames, const KeyedCollection<COutput>& outputs) {
    // Folded component -> (folded trace, row) of every splittable trace row.
    std::unordered_map<std::string, std::vector<std::pair<std::string, std::size_t>>> byComponent;
    for (std::size_t row = 0; row < traceNames.size(); ++row) {
        const auto parts = SplitTraceName(traceNames[row]);
        traceSplittable_[row] = parts.has_value();
        if (parts) byComponent[FoldCase(parts->component)].emplace_back(FoldCase(parts->trace), row);
    }
    if (byComponent.empty()) return;
    std::string parent;
    std::string name;
    for (const auto& output : outputs) {
        parent.assign(output->Parent);
        for (char& c : parent) c = FoldChar(c);
        const auto it = byComponent.find(parent);
        if (it == byComponent.end()) continue;
        name.assign(output->Name);
        for (char& c : name) c = FoldChar(c);
        for (const auto& [trace, row] : it->second)
            if (trace == name) traceMatches_[row].push_back(output);
    }
}

const OutputList& OutputIndex::TraceMatches(std::size_t row) const {
    if (!traceSplittable_.at(row)) throw RuntimeError(err::kSubscript, "Subscript out of range");
    return traceMatches_[row];
}

}  // namespace diags
