#include "StereoDelay.h"

#include <gtest/gtest.h>

TEST (StereoDelay, ReturnsEachFrameAfterItsLength)
{
    StereoDelay delay (184);

    for (int i = 0; i < 600; ++i)
    {
        double a = i + 1.0;
        double b = -(i + 1.0);
        delay.process (a, b);
        const double expected = i < 184 ? 0.0 : i - 184 + 1.0;
        ASSERT_EQ (a, expected) << "frame " << i;
        ASSERT_EQ (b, -expected) << "frame " << i;
    }
}

TEST (StereoDelay, SteppedTwicePerFrameDelaysByHalfItsLength)
{
    StereoDelay delay (16);

    for (int i = 0; i < 100; ++i)
    {
        const double expected = i < 8 ? 0.0 : i - 8 + 1.0;

        for (int step = 0; step < 2; ++step)
        {
            double a = i + 1.0;
            double b = 0.5 * (i + 1.0);
            delay.process (a, b);
            ASSERT_EQ (a, expected) << "frame " << i << " step " << step;
            ASSERT_EQ (b, 0.5 * expected) << "frame " << i << " step " << step;
        }
    }
}

TEST (StereoDelay, ResetEmptiesTheLine)
{
    StereoDelay delay (4);

    for (int i = 0; i < 3; ++i)
    {
        double a = 1.0, b = 1.0;
        delay.process (a, b);
    }

    delay.reset();
    EXPECT_EQ (delay.index, 0);

    for (int i = 0; i < 4; ++i)
    {
        double a = 7.0, b = 7.0;
        delay.process (a, b);
        EXPECT_EQ (a, 0.0);
        EXPECT_EQ (b, 0.0);
    }
}
