#include "FuzzSupport.h"

// Arbitrary bytes as a saved state from a host's project, then audio through the result.
// What the processor then writes must read back to the same state.
extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    auto& processor = fuzz::freshProcessor (44100.0, 512);

    processor.setStateInformation (data, static_cast<int> (std::min<std::size_t> (size, INT32_MAX)));
    fuzz::checkProgramRules (processor);

    juce::AudioBuffer<float> block (2, 512);
    juce::MidiBuffer midi;
    for (int i = 0; i < block.getNumSamples(); ++i)
    {
        const auto x = static_cast<float> (std::sin (i * 0.05));
        block.setSample (0, i, x);
        block.setSample (1, i, -0.5f * x);
    }
    processor.processBlock (block, midi);
    fuzz::checkFinite (block);

    juce::MemoryBlock written;
    processor.getStateInformation (written);
    processor.setStateInformation (written.getData(), static_cast<int> (written.getSize()));
    fuzz::checkProgramRules (processor);

    juce::MemoryBlock rewritten;
    processor.getStateInformation (rewritten);
    fuzz::require (written == rewritten, "a written state reads back to itself");
    return 0;
}
