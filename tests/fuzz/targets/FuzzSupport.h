#pragma once

#include "CorvaneAudioProcessor.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

/** Helpers the fuzz targets share: reading input bytes as host calls, and the rules the
    processor must keep whatever it is sent. A broken rule aborts, which libFuzzer
    reports as a finding with the input that caused it. */
namespace fuzz
{
    /** Consumes the input front to back; past the end it reads zeros. */
    class ByteReader
    {
    public:
        ByteReader (const std::uint8_t* bytes, std::size_t length) noexcept : data (bytes), size (length) {}

        bool exhausted() const noexcept { return position >= size; }
        std::size_t remaining() const noexcept { return exhausted() ? 0 : size - position; }
        const std::uint8_t* current() const noexcept { return data + position; }
        void skip (std::size_t count) noexcept { position += count; }

        std::uint8_t byte() noexcept { return exhausted() ? 0 : data[position++]; }

        std::uint32_t u32() noexcept
        {
            std::uint32_t value = 0;
            for (int i = 0; i < 4; ++i)
                value = (value << 8) | byte();
            return value;
        }

        std::uint16_t u16() noexcept { return static_cast<std::uint16_t> ((byte() << 8) | byte()); }

        /** Any float at all, NaNs and infinities included. */
        float anyFloat() noexcept
        {
            const std::uint32_t bits = u32();
            float value;
            std::memcpy (&value, &bits, sizeof value);
            return value;
        }

    private:
        const std::uint8_t* data;
        std::size_t size;
        std::size_t position = 0;
    };

    inline void require (bool condition, const char* rule)
    {
        if (! condition)
        {
            std::fprintf (stderr, "rule broken: %s\n", rule);
            std::abort();
        }
    }

    inline bool sameBits (float a, float b) noexcept
    {
        return std::memcmp (&a, &b, sizeof a) == 0;
    }

    /** The program index is valid and its slot holds exactly the live parameter values. */
    inline void checkProgramRules (CorvaneAudioProcessor& processor)
    {
        const int program = processor.getCurrentProgram();
        require (program >= 0 && program < CorvaneAudioProcessor::numPrograms, "current program within 0..14");

        const auto slot = processor.getProgram (program);
        for (int index = 0; index < numNamedParameters; ++index)
            require (sameBits (slot.values[index], processor.getParameter (index)),
                     "current slot equals the stored parameter values");
    }

    inline void checkFinite (const juce::AudioBuffer<float>& block)
    {
        for (int channel = 0; channel < block.getNumChannels(); ++channel)
            for (int i = 0; i < block.getNumSamples(); ++i)
                require (std::isfinite (block.getSample (channel, i)), "every output sample finite");
    }

    /** One processor for the whole run, built once because building one costs more than
        most inputs do. Each input starts from the factory state, freshly prepared, so it
        meets the same processor whatever ran before it. */
    inline CorvaneAudioProcessor& freshProcessor (double rate, int blockSize)
    {
        static CorvaneAudioProcessor processor;
        static const juce::MemoryBlock factoryState = []
        {
            juce::MemoryBlock state;
            processor.getStateInformation (state);
            return state;
        }();

        processor.setStateInformation (factoryState.getData(), static_cast<int> (factoryState.getSize()));
        processor.setRateAndBufferSizeDetails (rate, blockSize);
        processor.prepareToPlay (rate, blockSize);
        return processor;
    }

    /** Prepares the way a host does: the rate first, then prepareToPlay. */
    inline void prepareLikeAHost (CorvaneAudioProcessor& processor, double rate, int blockSize)
    {
        processor.setRateAndBufferSizeDetails (rate, blockSize);
        processor.prepareToPlay (rate, blockSize);
    }
}
