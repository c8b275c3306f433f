#include "model/CDiagMapEntries.h"

#include "base/RuntimeError.h"
#include "services/Procedure.h"

namespace diags {

namespace {

KeyedCollection<CDiagMapEntry>& Required(const CollectionRef<CDiagMapEntry>& entries) {
    if (!entries) ThrowObjectRequired();
    return *entries;
}

}  // namespace

bool CDiagMapEntry::SameMapEntry(const std::shared_ptr<CDiagMapEntry>& oMapEntry) const noexcept {
    return RunModelProcedure("CDiagMapEntry", "SameMapEntry", false, [&] {
        if (!oMapEntry) ThrowObjectRequired();
        return oMapEntry->Row == Row && oMapEntry->Column == Column;
    });
}

void CDiagMapEntry::PrintEntry() const noexcept {
    RunModelProcedure("CDiagMapEntry", "PrintEntry", 0, [] { return 0; });
}

void CDiagMapEntries::Add(const std::shared_ptr<CDiagMapEntry>& oMapEntry, std::string_view sKey) {
    Required(entries_).Add(oMapEntry, sKey);
}

void CDiagMapEntries::Remove(std::string_view sKey) { Required(entries_).Remove(sKey); }

std::shared_ptr<CDiagMapEntry> CDiagMapEntries::DiagMapEntry(std::string_view sEntryName) const noexcept {
    return RunModelProcedure("CDiagMapEntries", "DiagMapEntry", std::shared_ptr<CDiagMapEntry>{},
                             [&] { return Required(entries_).Find(sEntryName); });
}

void CDiagMapEntries::PrintAllEntries() const noexcept {
    RunModelProcedure("CDiagMapEntries", "PrintAllEntries", 0, [&] {
        // Reading an empty reference is the only way this can fail.
        for (const auto& entry : Required(entries_))
            if (!entry) ThrowObjectRequired();
        return 0;
    });
}

}  // namespace diags
