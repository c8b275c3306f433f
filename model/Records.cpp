#include "model/Records.h"

#include "base/RuntimeError.h"
#include "common/modCommonFunctions.h"
#include "services/Procedure.h"

namespace diags {

namespace {

// A linking procedure traces like every model procedure but lets the collection's error
// reach its caller (the map's linking procedures catch it).
template <class Body>
std::int32_t RunRaising(std::string_view module, std::string_view procedure, Body&& body) {
    TraceIfLogger(level::kFunction, kTraceEnter, module, procedure);
    const std::int32_t result = body();
    TraceIfLogger(level::kFunction, kTraceLeave, module, procedure);
    return result;
}

}  // namespace

std::int32_t COutput::AddTraceSetting(const std::shared_ptr<CTraceSetting>& oTraceSetting) {
    return RunRaising("COutput", "AddTraceSetting", [&] {
        if (!oTraceSetting || !linkedTraceSettings_) ThrowObjectRequired();
        linkedTraceSettings_->Add(oTraceSetting, oTraceSetting->Name);
        return 0;
    });
}

std::int32_t COutput::RemoveLinkedTraceSettings() noexcept {
    return RunModelProcedure("COutput", "RemoveLinkedTraceSettings", 1, [&] {
        // Every link goes, not all but one: a link left behind would keep its trace setting
        // (and through it this output) alive after the dialog broke the cycles.
        if (linkedTraceSettings_)
            while (linkedTraceSettings_->Count() > 0) linkedTraceSettings_->Remove(1);
        return 1;
    });
}

std::int32_t CTraceSetting::AddOutput(const std::shared_ptr<COutput>& oOutput) {
    return RunRaising("CTraceSetting", "AddOutput", [&] {
        if (!oOutput || !linkedOutputs_) ThrowObjectRequired();
        linkedOutputs_->Add(oOutput, oOutput->Key);
        return 0;
    });
}

std::int32_t CTraceSetting::RemoveLinkedOutputs() noexcept {
    return RunModelProcedure("CTraceSetting", "RemoveLinkedOutputs", 1, [&] {
        if (linkedOutputs_) {
            while (linkedOutputs_->Count() > 1) linkedOutputs_->Remove(1);
            // The last link goes with the collection.
            ReleaseCollection(linkedOutputs_);
        }
        return 1;
    });
}

}  // namespace diags
