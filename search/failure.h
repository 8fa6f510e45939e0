#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

namespace dustvane {

// A failed operation: the platform's (or the runtime's) error number and its
// description, as the user is shown them.
struct Failure {
  int32_t number = 0;
  std::string description;
};

inline bool operator==(const Failure& a, const Failure& b) {
  return a.number == b.number && a.description == b.description;
}

// The failures the program raises itself rather than receives from the
// system. Their numbers and texts are fixed: the "Unexpected Error" message
// shows them as they are.
inline Failure OverflowFailure() { return {6, "Overflow"}; }
inline Failure OutOfMemoryFailure() { return {7, "Out of memory"}; }
inline Failure PathNotFoundFailure() { return {76, "Path not found"}; }

// The outcome of an operation that yields nothing but may fail: empty when it
// succeeded. It is used as the std::optional it is; being [[nodiscard]], a
// caller that drops it unread is told so by the compiler.
class [[nodiscard]] MaybeFailure : public std::optional<Failure> {
 public:
  using std::optional<Failure>::optional;
  MaybeFailure(std::optional<Failure> failure)  // NOLINT: implicit by design
      : std::optional<Failure>(std::move(failure)) {}
};

namespace detail {
[[noreturn]] inline void ValueOfFailedResult(const Failure& failure) {
  std::fprintf(stderr, "Result::value() called on a failure: %d - %s\n", failure.number,
               failure.description.c_str());
  std::abort();
}
}  // namespace detail

// Either a value or the failure that prevented it. Reading the value of a
// failure is a programming error: it stops the program, in every build type.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Failure failure) : failure_(std::move(failure)) {}  // NOLINT

  bool ok() const { return value_.has_value(); }
  const T& value() const {
    if (!value_) detail::ValueOfFailedResult(failure_);
    return *value_;
  }
  T& value() {
    if (!value_) detail::ValueOfFailedResult(failure_);
    return *value_;
  }
  const Failure& failure() const { return failure_; }

 private:
  std::optional<T> value_;
  Failure failure_;
};

}  // namespace dustvane
