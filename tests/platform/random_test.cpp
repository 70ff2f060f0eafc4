/** @file Tests of the shared random generator. */
#include "platform/random/random.h"

#include <gtest/gtest.h>

TEST(Random, FollowsTheClassicSequence)
{
    platform::Random r(1);
    // The first values of the classic sequence seeded with 1.
    EXPECT_EQ(r.next(), 41);
    EXPECT_EQ(r.next(), 18467);
    EXPECT_EQ(r.next(), 6334);
    EXPECT_EQ(r.next(), 26500);
}

TEST(Random, SharedGeneratorReseeds)
{
    platform::srand(1234);
    const int a = platform::rand();
    const int b = platform::rand();
    platform::srand(1234);
    EXPECT_EQ(platform::rand(), a);
    EXPECT_EQ(platform::rand(), b);
}
