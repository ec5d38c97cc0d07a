#include "CorvaneAudioProcessor.h"
#include "ProgramMenu.h"

#include <gtest/gtest.h>

namespace
{
/** The menu's items in order, "x" for the ticked ones and "." for the others. */
juce::String ticks (const juce::PopupMenu& menu)
{
    juce::String result;
    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
        result << (it.getItem().isTicked ? "x" : ".");
    return result;
}
} // namespace

// Started on the last program, so that choosing the first is a change as well.
TEST (ProgramMenuTest, EachItemSelectsItsFactoryProgramAndIsThenTheOnlyOneTicked)
{
    juce::ScopedJuceInitialiser_GUI gui;
    CorvaneAudioProcessor processor;
    const CorvaneAudioProcessor factory;
    constexpr auto last = CorvaneAudioProcessor::numPrograms - 1;
    processor.setCurrentProgram (last);

    for (int i = 0; i <= last; ++i)
    {
        SCOPED_TRACE (factory.getProgram (i).name);
        const auto menu = ProgramMenu::create (processor);
        juce::PopupMenu::MenuItemIterator item (menu);
        for (int k = 0; k <= i; ++k)
            ASSERT_TRUE (item.next());
        EXPECT_EQ (item.getItem().text, factory.getProgram (i).name);
        ASSERT_TRUE (ProgramMenu::choose (processor, item.getItem().itemID));

        for (int j = 0; j < numNamedParameters; ++j)
            EXPECT_EQ (processor.getParameter (j), factory.getProgram (i).values[j]) << parameterTable[j].name;
        EXPECT_EQ (ticks (ProgramMenu::create (processor)),
                   juce::String::repeatedString (".", i) + "x" + juce::String::repeatedString (".", last - i));
    }

    // The window's own items and anything beside the programs change nothing.
    for (const int result : { 0, 4, ProgramMenu::firstItemId - 1, ProgramMenu::firstItemId + last + 1 })
        EXPECT_FALSE (ProgramMenu::choose (processor, result)) << result;
    EXPECT_EQ (processor.getCurrentProgram(), last);
}
