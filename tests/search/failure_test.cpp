#include "search/failure.h"

#include <gtest/gtest.h>

namespace dustvane {
namespace {

// Release builds too: a value read from a failure stops the program with the
// failure named, instead of handing back memory that holds no value.
TEST(ResultDeathTest, ReadingTheValueOfAFailureStopsTheProgram) {
  const Result<int> failed(Failure{5, "Access denied"});
  EXPECT_DEATH((void)failed.value(), "Result::value\\(\\) called on a failure: 5 - Access denied");
  Result<std::string> alsoFailed(OverflowFailure());
  EXPECT_DEATH(alsoFailed.value().append("x"), "6 - Overflow");
}

}  // namespace
}  // namespace dustvane
