#pragma once
// Gives a variable a value for the life of the guard and puts the previous value back however
// the scope is left (a flag that marks "this procedure is running", events switched off while
// the program itself writes controls).
#include <utility>

namespace diags {

template <class T>
class ScopedValue {
public:
    ScopedValue(T& variable, T value) : variable_(variable), saved_(std::exchange(variable, std::move(value))) {}
    ~ScopedValue() { variable_ = std::move(saved_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& variable_;
    T saved_;
};

}  // namespace diags
