#pragma once
#include <cstdint>

#include "base/RuntimeError.h"

namespace diags::forms {

// The run-time error number a statement raises, or 0 when it raises none.
template <class Statement>
std::int32_t ErrorOf(Statement&& statement) {
    try {
        statement();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

}  // namespace diags::forms
