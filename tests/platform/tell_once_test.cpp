#include "platform/tell_once.h"

#include <gtest/gtest.h>

namespace {

TEST(TellOnce, TellsAProblemOnceUntilItWorksAndAnotherCauseAtOnce) {
  TellOnce<int> once;
  EXPECT_TRUE(once.Failed(5));
  EXPECT_FALSE(once.Failed(5));  // the same again: quiet
  EXPECT_TRUE(once.Failed(6));   // another cause is news
  EXPECT_FALSE(once.Failed(6));
  once.Worked();
  EXPECT_TRUE(once.Failed(6));  // back after it worked
  once.Told(7);                 // told by the caller regardless
  EXPECT_FALSE(once.Failed(7));

  TellOnce<> single;
  EXPECT_TRUE(single.Failed());
  EXPECT_FALSE(single.Failed());
  single.Worked();
  EXPECT_TRUE(single.Failed());
}

}  // namespace
