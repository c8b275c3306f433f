// What tracing costs a procedure: nothing listening (the usual case), writing to a file, and
// the message formatting behind every written line.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "services/Logger.h"
#include "services/MessageService.h"
#include "services/Procedure.h"

namespace {

using namespace diags;

void FreshLogger(const char* traceFile) {
    traceFile ? ::setenv("DIAGS_TRACE_FILE", traceFile, 1) : ::unsetenv("DIAGS_TRACE_FILE");
    ::unsetenv("DIAGS_TRACE");
    ::unsetenv("DIAGS_TRACE_LEVELS");
    Logger::Destroy();
    Logger::Create().Initialize("ZEL DiagnosticsConfiguration", 0);
}

void BM_TraceNobodyListening(benchmark::State& state) {
    FreshLogger(nullptr);
    for (auto _ : state) TraceIfLogger(level::kFunction, kFunctionEnter, "frmDiags", "FormLoad");
    Logger::Destroy();
}
BENCHMARK(BM_TraceNobodyListening);

void BM_RunProcedureNobodyListening(benchmark::State& state) {
    FreshLogger(nullptr);
    ErrorRef error;
    for (auto _ : state) {
        const ResultCode result = RunProcedure("frmDiags", "SetDirtyNode", error, [] { return ResultCode::Success; });
        benchmark::DoNotOptimize(result);
    }
    Logger::Destroy();
}
BENCHMARK(BM_RunProcedureNobodyListening);

void BM_TraceToFile(benchmark::State& state) {
    const std::string file = "/tmp/diags-bench-trace-" + std::to_string(::getpid()) + ".log";
    FreshLogger(file.c_str());
    for (auto _ : state) TraceIfLogger(level::kFunction, kFunctionEnter, "frmDiags", "FormLoad");
    Logger::Destroy();
    std::remove(file.c_str());
}
BENCHMARK(BM_TraceToFile);

void BM_FormatMessageFiveArguments(benchmark::State& state) {
    const std::vector<std::string> args{"frmDiags", "SaveGUIValues", "76", "Path not found", "412"};
    for (auto _ : state) benchmark::DoNotOptimize(MessageService::FormatMessage(kErrorLine, args));
}
BENCHMARK(BM_FormatMessageFiveArguments);

}  // namespace

BENCHMARK_MAIN();
