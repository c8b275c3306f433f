#pragma once
// The component's automation classes as the rest of the server sees them: constructors for
// the class factory, wrappers that give a model object an automation face, and the way back
// from an object a caller passes in to the model object behind it.
#include <memory>

#include "com/ComSupport.h"
#include "com/DiagsConfig.h"
#include "model/CDiagMap.h"
#include "model/CDiagMapEntries.h"
#include "model/Records.h"

namespace diags::com {

// New objects of the creatable classes, for the class factory.
HRESULT CreateOutput(REFIID iid, void** out) noexcept;
HRESULT CreateTraceSetting(REFIID iid, void** out) noexcept;
HRESULT CreateDiagMap(REFIID iid, void** out) noexcept;
HRESULT CreateDiagMapEntries(REFIID iid, void** out) noexcept;
HRESULT CreateDiagMapEntry(REFIID iid, void** out) noexcept;
HRESULT CreateDiagnosticsConfig(REFIID iid, void** out) noexcept;

// An automation face for a model object (null for a null object).
ComPtr<IDispatch> WrapOutput(std::shared_ptr<COutput> output);
ComPtr<IDispatch> WrapTraceSetting(std::shared_ptr<CTraceSetting> traceSetting);
ComPtr<IDispatch> WrapMapEntry(std::shared_ptr<CDiagMapEntry> entry);

// The model object behind a passed-in object; null for Nothing/Empty; any other content,
// including objects of another class, is a type mismatch (error 13).
std::shared_ptr<COutput> OutputOf(const VARIANT& value);
std::shared_ptr<CTraceSetting> TraceSettingOf(const VARIANT& value);
std::shared_ptr<CDiagMapEntry> MapEntryOf(const VARIANT& value);

// Fills a _KeyedCollection** / _CTraceSetting** out parameter (Nothing for null).
HRESULT ReturnObject(ComPtr<IDispatch> object, REFIID iid, void** out) noexcept;

}  // namespace diags::com
