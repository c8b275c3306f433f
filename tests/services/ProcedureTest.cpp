#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "services/Procedure.h"
#include "tests/support/RecordingSink.h"

namespace diags {
namespace {

using testing::TraceLine;
using ProcedureConventions = testing::FreshServices;

TEST_F(ProcedureConventions, ARunTimeErrorReplacesTheCallersErrorObjectAndGives3) {
    RecordTraces();
    const auto callers = std::make_shared<ErrorObject>();
    ErrorRef error = callers;
    int line = 0;
    const auto body = [&]() -> ResultCode {  // outside any macro, so the thrown line is exact
        line = __LINE__ + 1;
        throw RuntimeError(err::kTypeMismatch, "Type mismatch");
    };
    EXPECT_EQ(RunProcedure("frmDiags", "txtFileSize_Change", error, body), ResultCode::Failure);
    ASSERT_TRUE(error);
    EXPECT_NE(error, callers);
    EXPECT_EQ(std::tie(error->number, error->description, error->module, error->procedure, error->line),
              std::make_tuple(13, "Type mismatch", "frmDiags", "txtFileSize_Change", line));
    EXPECT_EQ(error->componentTitle, "Diagnostics Configuration");
    const std::string traced = "Module: [frmDiags] Procedure: [txtFileSize_Change] Error:[13][Type mismatch] Line: [" +
                               std::to_string(line) + "]";
    EXPECT_EQ(lines, (std::vector<TraceLine>{{64, "[frmDiags][txtFileSize_Change] Function Enter"},
                                             {64, traced},
                                             {64, "[frmDiags][txtFileSize_Change] Function Leave"}}));
}

TEST_F(ProcedureConventions, ForeignExceptionsBecomeErrorObjectsEvenWithoutALogger) {
    ErrorRef error;
    const auto numberAfter = [&](auto&& thrower) {
        EXPECT_EQ(RunProcedure("General", "P", error, [&]() -> ResultCode { thrower(); return ResultCode::Success; }),
                  ResultCode::Failure);
        return error ? error->number : -1;
    };
    EXPECT_EQ(numberAfter([] { throw std::runtime_error("boom"); }), err::kInternal);
    EXPECT_EQ(error->description, "boom");
    EXPECT_EQ(numberAfter([] { throw std::bad_alloc(); }), 7);
    EXPECT_EQ(numberAfter([] { throw 42; }), err::kInternal);
}

}  // namespace
}  // namespace diags
