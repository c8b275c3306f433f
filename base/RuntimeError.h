#pragma once
// A run-time failure inside a procedure: the error number and description a classic
// form component reports, plus the source line where it was raised. Procedures catch it
// at their boundary and turn it into an ErrorObject (services/SharedGlobals.h); it never
// crosses a procedure or COM boundary.
#include <cstdint>
#include <exception>
#include <source_location>
#include <string>

namespace diags {

// Error numbers of the classic run-time, used where the documented behaviour "raises".
namespace err {
inline constexpr std::int32_t kInvalidCall = 5;          // invalid procedure call or argument
inline constexpr std::int32_t kOverflow = 6;             // overflow
inline constexpr std::int32_t kSubscript = 9;            // subscript out of range
inline constexpr std::int32_t kTypeMismatch = 13;        // type mismatch
inline constexpr std::int32_t kObjectRequired = 91;      // object variable not set
inline constexpr std::int32_t kDuplicateKey = 457;       // key already in the collection
inline constexpr std::int32_t kFileNotFound = 53;        // file not found
inline constexpr std::int32_t kPathNotFound = 76;        // path not found
inline constexpr std::int32_t kPathFileAccess = 75;      // path/file access error
inline constexpr std::int32_t kInternal = 51;            // internal error (unexpected C++ exception)
}  // namespace err

class RuntimeError : public std::exception {
public:
    RuntimeError(std::int32_t number, std::string description,
                 std::source_location where = std::source_location::current())
        : number_(number), description_(std::move(description)),
          line_(static_cast<std::int32_t>(where.line())) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }
    std::int32_t Line() const noexcept { return line_; }
    const char* what() const noexcept override { return description_.c_str(); }

private:
    std::int32_t number_;
    std::string description_;
    std::int32_t line_;
};

// Raises "object variable not set" (91) at the caller's line: an object the procedure needs is missing.
[[noreturn]] inline void ThrowObjectRequired(std::source_location where = std::source_location::current()) {
    throw RuntimeError(err::kObjectRequired, "Object variable or With block variable not set", where);
}

}  // namespace diags
