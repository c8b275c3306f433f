#pragma once
// The commands of the diagsconfig tool, callable from tests.
//
//   diagsconfig [--config FILE] [--root KEY] show [COMPONENT]
//   diagsconfig [--config FILE] [--root KEY] get COMPONENT [OUTPUT] [PROPERTY]
//   diagsconfig [--config FILE] [--root KEY] set COMPONENT [OUTPUT] PROPERTY=VALUE...
//   diagsconfig [--config FILE] [--root KEY] export FILE
//   diagsconfig [--config FILE] [--root KEY] import FILE
//   diagsconfig [--root KEY] [--json] trace [on NAME... [options] | off NAME... | off --all]
//   diagsconfig [--config FILE] [--root KEY] [--json] logs
//   diagsconfig [--config FILE] [--root KEY] collect [FILE.zip] [--since TIME]
//
// OUTPUT is left out for a component that carries its settings itself ("ZEL Errors").
// --config names a registry file to use instead of this system's registry; a file that does
// not exist yet receives the default configuration. --root names the log configuration's key.
#include <ostream>
#include <string>
#include <vector>

namespace diags::tools {

namespace exitcode {
// 5: the dialog asked a question that only --yes answers (nothing saved); 6: the dialog stopped
// with a message (an empty file name or directory, nothing to write to), or a collect made no
// bundle.
inline constexpr int kOk = 0, kUsage = 1, kNotFound = 2, kBadValue = 3, kStoreFailure = 4, kQuestion = 5,
                     kStopped = 6;
}

int RunDiagsConfig(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace diags::tools
