#include "FuzzSupport.h"
#include "Operations.h"

#include <limits>

// The input as a session of host calls: parameters set to any float, programs selected
// and renamed, states saved, restored and made up, preparation at any rate from 8 to
// 384 kHz, blocks of 0 to 8192 frames of any samples. The rules are checked after every
// call.

namespace
{
    using namespace fuzz;

    // Enough for a few of the largest blocks; more only slows the search down.
    constexpr int maxFramesPerInput = 1 << 15;

    // Finite samples above this may overflow a float once makeup and out gain apply.
    constexpr float largestSafeSample = 1.0e30f;

    float parameterValue (ByteReader& in)
    {
        static const float specials[] = { std::numeric_limits<float>::quiet_NaN(),
                                          std::numeric_limits<float>::infinity(),
                                          -std::numeric_limits<float>::infinity(),
                                          -1.0f, 2.0f, 1.0e30f, -1.0e30f, 0.5f,
                                          std::numeric_limits<float>::max(),
                                          -std::numeric_limits<float>::max(),
                                          std::numeric_limits<float>::denorm_min(), -0.0f };
        const int mode = in.byte() % valueModeCount;
        const std::uint32_t bits = in.u32();

        switch (mode)
        {
            case byteFraction:
                return static_cast<float> (bits >> 24) / 255.0f;
            case specialValue:
                return specials[(bits >> 24) % std::size (specials)];
            case wideFraction:
                return static_cast<float> (bits >> 16) / 65535.0f * 3.0f - 1.0f;
            default:
            {
                float value;
                std::memcpy (&value, &bits, sizeof value);
                return value;
            }
        }
    }

    class Session
    {
    public:
        explicit Session (ByteReader& input) : in (input) {}

        void run()
        {
            while (! in.exhausted())
            {
                step (static_cast<Operation> (in.byte() % operationCount));
                checkProgramRules (processor);
            }
        }

    private:
        void step (Operation operation)
        {
            switch (operation)
            {
                case setParameter:
                {
                    const int index = in.byte() % 25 - 2;
                    processor.setParameter (index, parameterValue (in));
                    break;
                }
                case selectProgram:
                    processor.setCurrentProgram (in.byte() % 21 - 3);
                    break;
                case renameProgram:
                {
                    const int index = in.byte() % 19 - 2;
                    const std::size_t length = std::min<std::size_t> (in.byte(), in.remaining());
                    // The framework reads a UTF-16 name in place, two bytes at a time: give
                    // it the name at an aligned address, as a host's own buffer would be.
                    const juce::MemoryBlock name (in.current(), length);
                    processor.changeProgramName (index, juce::String::createStringFromData (name.getData(), static_cast<int> (length)));
                    in.skip (length);
                    break;
                }
                case saveState:
                    processor.getStateInformation (saved);
                    break;
                case restoreState:
                    processor.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
                    break;
                case loadBytesAsState:
                {
                    const std::size_t length = std::min<std::size_t> (in.u16(), in.remaining());
                    processor.setStateInformation (in.current(), static_cast<int> (length));
                    in.skip (length);
                    break;
                }
                case prepare:
                {
                    const double rate = 8000.0 + in.u32() % 376001;
                    prepareAt (rate, in.u16() % 8193);
                    break;
                }
                case process:
                    processBlock();
                    break;
                case release:
                    processor.releaseResources();
                    largeInput = false;
                    break;
                case readTexts:
                    for (int index = -1; index <= numParameters; ++index)
                        if (const auto* p = processor.parameter (index))
                            texts += p->getName (64).length() + p->getCurrentValueAsText().length();
                    for (int index = -1; index <= CorvaneAudioProcessor::numPrograms; ++index)
                        texts += processor.getProgramName (index).length();
                    break;
                default:
                    break;
            }
        }

        void prepareAt (double rate, int blockSize)
        {
            fuzz::prepareLikeAHost (processor, rate, blockSize);
            largeInput = false;
        }

        void processBlock()
        {
            const int frames = std::min<int> (in.u16() % 8193, maxFramesPerInput - framesUsed);
            const int fill = in.byte() % fillCount;
            const std::uint32_t argument = in.u32();
            framesUsed += frames;

            juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), 2, frames);
            fillBlock (block, fill, argument);

            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < frames; ++i)
                    if (std::abs (block.getSample (channel, i)) > largestSafeSample && std::isfinite (block.getSample (channel, i)))
                        largeInput = true;

            processor.processBlock (block, midi);

            // Huge finite input may rightly overflow; the engine's memory of it lasts until
            // the next reset.
            if (! largeInput)
                checkFinite (block);
        }

        void fillBlock (juce::AudioBuffer<float>& block, int fill, std::uint32_t argument)
        {
            const float level = static_cast<float> (argument >> 16) / 65536.0f;
            const auto low = static_cast<int> (argument & 0xFFFF);

            for (int channel = 0; channel < 2; ++channel)
            {
                auto* samples = block.getWritePointer (channel);
                juce::Random random (low + channel);

                for (int i = 0; i < block.getNumSamples(); ++i)
                {
                    switch (fill)
                    {
                        case noise:
                            samples[i] = level * (2.0f * random.nextFloat() - 1.0f);
                            break;
                        case sine:
                            samples[i] = level * static_cast<float> (std::sin (6.283185307179586 * low * i / 1000.0 + channel));
                            break;
                        case constant:
                        {
                            std::memcpy (&samples[i], &argument, sizeof (float));
                            break;
                        }
                        case rawSamples:
                            samples[i] = in.remaining() >= 4 ? in.anyFloat() : 0.0f;
                            break;
                        default:
                            samples[i] = 0.0f;
                            break;
                    }
                }
            }
        }

        ByteReader& in;
        CorvaneAudioProcessor& processor = freshProcessor (44100.0, 512);
        juce::AudioBuffer<float> buffer { 2, 8192 };
        juce::MidiBuffer midi;
        juce::MemoryBlock saved;
        int framesUsed = 0;
        bool largeInput = false;
        long texts = 0;
    };
}

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    ByteReader input (data, size);
    Session session (input);
    session.run();
    return 0;
}
