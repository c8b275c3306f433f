#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "services/Procedure.h"
#include "tests/services/RecordingSink.h"

namespace diags {
namespace {

using testing::FreshServices;
using testing::TraceLine;

// ---------------------------------------------------------------- dialog and entry procedures

using DialogProcedures = FreshServices;

TEST_F(DialogProcedures, TraceEnterAndLeaveAroundTheBody) {
    RecordTraces();
    ErrorRef error;
    const ResultCode result = RunProcedure("frmDiags", "FormLoad", error, [&] {
        TraceIfLogger(64, "inside");
        return ResultCode::Success;
    });
    EXPECT_EQ(result, ResultCode::Success);
    EXPECT_FALSE(error);
    EXPECT_EQ(lines, (std::vector<TraceLine>{{64, "[frmDiags][FormLoad] Function Enter"},
                                             {64, "inside"},
                                             {64, "[frmDiags][FormLoad] Function Leave"}}));
}

TEST_F(DialogProcedures, PassTheBodysResultThrough) {
    ErrorRef error;
    EXPECT_EQ(RunProcedure("frmDiags", "P", error, [] { return ResultCode::Stopped; }), ResultCode::Stopped);
    EXPECT_EQ(RunProcedure("frmDiags", "P", error, [] { return ResultCode::None; }), ResultCode::None);
    EXPECT_FALSE(error);
}

TEST_F(DialogProcedures, ARunTimeErrorReplacesTheCallersErrorObjectAndGives3) {
    RecordTraces();
    auto callers = std::make_shared<ErrorObject>();
    ErrorRef error = callers;
    int failingLine = 0;
    const ResultCode result = RunProcedure("frmDiags", "txtFileSize_Change", error, [&]() -> ResultCode {
        failingLine = __LINE__ + 1;
        throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    });
    EXPECT_EQ(result, ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_NE(error, callers);
    EXPECT_EQ(callers->number, 0);  // the caller's old object is left alone
    EXPECT_EQ(error->number, err::kTypeMismatch);
    EXPECT_EQ(error->description, "Type mismatch");
    EXPECT_EQ(error->applicationTitle, "Veltrane Desktop");
    EXPECT_EQ(error->componentTitle, "Diagnostics Configuration");
    EXPECT_EQ(error->module, "frmDiags");
    EXPECT_EQ(error->procedure, "txtFileSize_Change");
    EXPECT_EQ(error->line, failingLine);
    const std::string errorLine = "Module: [frmDiags] Procedure: [txtFileSize_Change] Error:[13][Type mismatch] Line: [" +
                                  std::to_string(failingLine) + "]";
    EXPECT_EQ(lines, (std::vector<TraceLine>{{64, "[frmDiags][txtFileSize_Change] Function Enter"},
                                             {64, errorLine},
                                             {64, "[frmDiags][txtFileSize_Change] Function Leave"}}));
}

TEST_F(DialogProcedures, ForeignExceptionsBecomeErrorObjectsToo) {
    ErrorRef error;
    EXPECT_EQ(RunProcedure("General", "P", error, []() -> ResultCode { throw std::runtime_error("boom"); }),
              ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::kInternal);
    EXPECT_EQ(error->description, "boom");
    EXPECT_EQ(RunProcedure("General", "P", error, []() -> ResultCode { throw std::bad_alloc(); }),
              ResultCode::Failure);
    EXPECT_EQ(error->number, 7);
    EXPECT_EQ(RunProcedure("General", "P", error, []() -> ResultCode { throw 42; }), ResultCode::Failure);
    EXPECT_EQ(error->number, err::kInternal);
}

TEST_F(DialogProcedures, WithoutALoggerNothingIsTracedAndErrorsStillArrive) {
    ErrorRef error;
    EXPECT_EQ(RunProcedure("CDiagnosticsConfig", "ConfigureDiagnistics", error,
                           []() -> ResultCode { throw RuntimeError(err::kObjectRequired, "Object variable not set"); }),
              ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, err::kObjectRequired);
    EXPECT_EQ(error->module, "CDiagnosticsConfig");
}

// ---------------------------------------------------------------- model routines

using ModelProcedures = FreshServices;

TEST_F(ModelProcedures, TraceEnterAndLeaveAndReturnTheBodysValue) {
    RecordTraces();
    EXPECT_EQ(RunModelProcedure("General", "IntToBool", false, [] { return true; }), true);
    EXPECT_EQ(lines, (std::vector<TraceLine>{{64, "[General][IntToBool] TRACE ENTER"},
                                             {64, "[General][IntToBool] TRACE LEAVE"}}));
}

TEST_F(ModelProcedures, ARunTimeErrorIsTracedOnceAndTheFailureValueReturned) {
    RecordTraces();
    int failingLine = 0;
    const int result = RunModelProcedure("CTraceSetting", "AddOutput", -1, [&]() -> int {
        failingLine = __LINE__ + 1;
        throw RuntimeError(err::kDuplicateKey, "Key is already associated with an element of this collection");
    });
    EXPECT_EQ(result, -1);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], (TraceLine{64, "Module: [CTraceSetting] Procedure: [AddOutput] Error:[457][Key is already "
                                       "associated with an element of this collection] Line: [" +
                                           std::to_string(failingLine) + "]"}));
    EXPECT_EQ(lines[2], (TraceLine{64, "[CTraceSetting][AddOutput] TRACE LEAVE"}));
}

}  // namespace
}  // namespace diags
