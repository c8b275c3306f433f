#pragma once
// The procedure conventions in one place.
//
// RunProcedure: a dialog or entry procedure that returns a ResultCode and takes the caller's
// ErrorObject. Traces "Function Enter"/"Function Leave" at level 64 when the logger exists;
// a run-time failure inside the body becomes the ErrorObject built by HandleError (titles
// "Veltrane Desktop" / "Diagnostics Configuration", the module, the procedure, the line),
// replaces the caller's reference, and the result is 3. Nothing escapes (noexcept).
//
// RunModelProcedure: model classes and the small General routines. Traces "TRACE ENTER" /
// "TRACE LEAVE"; a run-time failure writes one level-64 line
// "Module: [%1] Procedure: [%2] Error:[%3][%4] Line: [%5]" and the procedure returns
// `onFailure` without raising.
#include <exception>
#include <new>
#include <string_view>
#include <utility>

#include "base/RuntimeError.h"
#include "services/ErrorObject.h"
#include "services/Logger.h"
#include "services/ResultCode.h"
#include "services/SharedGlobals.h"

namespace diags {

inline constexpr std::string_view kFunctionEnter = "[%1][%2] Function Enter";
inline constexpr std::string_view kFunctionLeave = "[%1][%2] Function Leave";
inline constexpr std::string_view kTraceEnter = "[%1][%2] TRACE ENTER";
inline constexpr std::string_view kTraceLeave = "[%1][%2] TRACE LEAVE";
inline constexpr std::string_view kErrorLine = "Module: [%1] Procedure: [%2] Error:[%3][%4] Line: [%5]";

// Calls body(); converts any exception into a RuntimeError-like triple for the handlers.
template <class Body, class OnError>
auto CatchRuntimeErrors(Body&& body, OnError&& onError) noexcept -> decltype(body()) {
    try {
        return std::forward<Body>(body)();
    } catch (const RuntimeError& e) {
        return onError(e.Number(), std::string_view(e.Description()), e.Line());
    } catch (const std::bad_alloc&) {
        return onError(7, std::string_view("Out of memory"), 0);
    } catch (const std::exception& e) {
        return onError(err::kInternal, std::string_view(e.what()), 0);
    } catch (...) {
        return onError(err::kInternal, std::string_view("Unexpected failure"), 0);
    }
}

// Replaces oError with the object HandleError builds; the caller returns Failure.
inline ErrorRef MakeError(std::string_view module, std::string_view procedure, std::int32_t number,
                          std::string_view description, std::int32_t line) noexcept {
    try {
        return SharedGlobals::Instance().HandleError(number, description, kAppTitle, kComponentTitle,
                                                     module, procedure, line, Logger::Existing());
    } catch (...) {
        return nullptr;
    }
}

template <class Body>
ResultCode RunProcedure(std::string_view module, std::string_view procedure, ErrorRef& oError,
                        Body&& body) noexcept {
    TraceIfLogger(level::kFunction, kFunctionEnter, module, procedure);
    const ResultCode result = CatchRuntimeErrors(
        [&]() -> ResultCode { return std::forward<Body>(body)(); },
        [&](std::int32_t number, std::string_view description, std::int32_t line) {
            oError = MakeError(module, procedure, number, description, line);
            return ResultCode::Failure;
        });
    TraceIfLogger(level::kFunction, kFunctionLeave, module, procedure);
    return result;
}

template <class Result, class Body>
Result RunModelProcedure(std::string_view module, std::string_view procedure, Result onFailure,
                         Body&& body) noexcept {
    TraceIfLogger(level::kFunction, kTraceEnter, module, procedure);
    Result result = CatchRuntimeErrors(
        [&]() -> Result { return std::forward<Body>(body)(); },
        [&](std::int32_t number, std::string_view description, std::int32_t line) -> Result {
            TraceIfLogger(level::kFunction, kErrorLine, module, procedure, number, description, line);
            return onFailure;
        });
    TraceIfLogger(level::kFunction, kTraceLeave, module, procedure);
    return result;
}

}  // namespace diags
