#pragma once

#include <cstdint>
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

// The runtime's own failures, numbered as users of the original platform
// know them.
inline Failure OverflowFailure() { return {6, "Overflow"}; }
inline Failure OutOfMemoryFailure() { return {7, "Out of memory"}; }

// "No failure" is the empty optional.
using MaybeFailure = std::optional<Failure>;

// Either a value or the failure that prevented it.
template <class T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Failure failure) : failure_(std::move(failure)) {}  // NOLINT

  bool ok() const { return value_.has_value(); }
  const T& value() const { return *value_; }
  T& value() { return *value_; }
  const Failure& failure() const { return failure_; }

 private:
  std::optional<T> value_;
  Failure failure_;
};

}  // namespace dustvane
