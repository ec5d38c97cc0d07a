#include "EditorTestSupport.h"

using namespace editortest;

namespace
{
struct MeterTest : ComponentTest
{
    MeterTest()
    {
        meter.setVisible (true);
        scale.setVisible (true);
    }

    juce::Image drawMeter (float scaleValue, float currentDb, float heldDb)
    {
        meter.meterScale = scaleValue;
        meter.currentReductionDb = currentDb;
        meter.heldReductionDb = heldDb;
        return render (meter);
    }

    ReductionMeterComponent meter { "reductionMeter" };
    ReductionMeterScaleComponent scale { "reductionMeterScale" };
};

bool isOverRangeRed (juce::Colour c)
{
    return c.getAlpha() > 200 && c.getRed() > 200 && c.getBlue() < 60;
}
} // namespace

TEST_F (MeterTest, CurrentBarGrowsDownAtThePixelsPerDbOfTheRange)
{
    const struct
    {
        float scale;
        float pixelsPerDb;
    } ranges[] { { 0.0f, 20.0f }, { 0.25f, 10.0f }, { 0.5f, 5.0f }, { 0.75f, 2.5f }, { 1.5f, 2.5f }, { -1.0f, 20.0f } };

    for (const auto& r : ranges)
    {
        SCOPED_TRACE (r.scale);
        const auto image = drawMeter (r.scale, 4.0f, 4.0f);
        const auto bottom = juce::roundToInt (4.0f * r.pixelsPerDb);
        EXPECT_TRUE (isOpaqueBlue (image.getPixelAt (15, bottom - 2)));
        EXPECT_TRUE (isEmpty (image.getPixelAt (15, bottom + 1)));
    }
}

TEST_F (MeterTest, HeldBarIsTranslucentBehindTheCurrentOne)
{
    const auto image = drawMeter (0.5f, 2.0f, 10.0f);   // 5 px per dB
    EXPECT_TRUE (isOpaqueBlue (image.getPixelAt (15, 5)));

    const auto held = image.getPixelAt (15, 30);
    EXPECT_NEAR (held.getAlpha(), 50, 2);
    EXPECT_GT (held.getBlue(), held.getRed());
    EXPECT_TRUE (isEmpty (image.getPixelAt (15, 52)));
}

TEST_F (MeterTest, OverRangeMarkOnlyBeyondTheBottomEdge)
{
    auto image = drawMeter (0.25f, 0.0f, 13.5f);
    EXPECT_TRUE (isOverRangeRed (image.getPixelAt (15, 128)));
    EXPECT_TRUE (isOverRangeRed (image.getPixelAt (15, 129)));
    EXPECT_FALSE (isOverRangeRed (image.getPixelAt (15, 126)));

    image = drawMeter (0.25f, 0.0f, 13.0f);
    EXPECT_FALSE (isOverRangeRed (image.getPixelAt (15, 128)));
}

TEST_F (MeterTest, ScaleCyclesThroughTheFourRangesAndRelabels)
{
    const float expected[] { 0.25f, 0.5f, 0.75f, 0.0f, 0.25f };
    for (auto value : expected)
    {
        scale.cycleScale();
        EXPECT_EQ (scale.meterScale, value);
    }

    const auto labelArea = [this] (float value)
    {
        scale.meterScale = value;
        return render (scale).getClippedImage ({ 0, 20, 18, 113 });
    };

    // The ticks never move; the labels differ from range to range.
    const auto sixDb = labelArea (0.0f);
    const auto twelveDb = labelArea (0.25f);
    int differing = 0;
    for (int y = 0; y < sixDb.getHeight(); ++y)
        for (int x = 0; x < sixDb.getWidth(); ++x)
            differing += sixDb.getPixelAt (x, y) != twelveDb.getPixelAt (x, y) ? 1 : 0;
    EXPECT_GT (differing, 10);

    const auto image = render (scale);
    EXPECT_EQ (image.getPixelAt (24, 10), juce::Colour (0xff555555));   // minor tick
    EXPECT_EQ (image.getPixelAt (22, 25), juce::Colour (0xff555555));   // major tick
    EXPECT_TRUE (isEmpty (image.getPixelAt (22, 10)));
}

TEST_F (MeterTest, NothingIsDrawnWhileHidden)
{
    meter.setVisible (false);
    scale.setVisible (false);
    meter.currentReductionDb = 5.0f;

    juce::Image image (juce::Image::ARGB, 30, 130, true);
    juce::Graphics g (image);
    meter.paintEntireComponent (g, true);
    scale.paintEntireComponent (g, true);
    EXPECT_TRUE (isEmpty (image.getPixelAt (15, 10)));
    EXPECT_TRUE (isEmpty (image.getPixelAt (22, 25)));
}
