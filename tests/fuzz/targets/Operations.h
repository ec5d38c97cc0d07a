#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

/** The byte language of the operations target: one opcode byte, then its arguments.
    The target decodes it; the seed writer speaks it to record realistic sessions. */
namespace fuzz
{
    enum Operation : std::uint8_t
    {
        setParameter,    // index + 2 (byte), value mode (byte), value (4 bytes)
        selectProgram,   // index + 3 (byte)
        renameProgram,   // index + 2 (byte), length (byte), name bytes
        saveState,
        restoreState,    // the last saved state
        loadBytesAsState,// length (2 bytes), bytes
        prepare,         // rate in Hz (4 bytes), block size (2 bytes)
        process,         // frames (2 bytes), fill (byte), fill argument (4 bytes)
        release,
        readTexts,
        operationCount
    };

    enum ValueMode : std::uint8_t
    {
        rawBits,        // the 4 bytes are the float
        byteFraction,   // the first byte / 255
        specialValue,   // the first byte picks NaN, infinities, values outside 0..1
        wideFraction,   // the first 2 bytes spread over -1..2
        valueModeCount
    };

    enum Fill : std::uint8_t
    {
        silence,
        noise,          // argument: level in 1/65536ths of full scale, seed
        sine,           // argument: level in 1/65536ths, cycles per 1000 frames
        constant,       // argument: the float's bits
        rawSamples,     // the samples follow as float bits, as far as the input goes
        fillCount
    };

    /** Records a session in the byte language. */
    struct OperationWriter
    {
        std::vector<std::uint8_t> bytes;

        void op (Operation o) { bytes.push_back (o); }
        void u8 (int value) { bytes.push_back (static_cast<std::uint8_t> (value)); }
        void u16 (int value) { u8 (value >> 8); u8 (value); }
        void u32 (std::uint32_t value) { u16 (static_cast<int> (value >> 16)); u16 (static_cast<int> (value & 0xFFFF)); }

        void f32 (float value)
        {
            std::uint32_t bits;
            std::memcpy (&bits, &value, sizeof bits);
            u32 (bits);
        }

        void setParameterTo (int index, float value) { op (setParameter); u8 (index + 2); u8 (rawBits); f32 (value); }
        void select (int program) { op (selectProgram); u8 (program + 3); }
        void prepareAt (std::uint32_t rate, int blockSize) { op (prepare); u32 (rate); u16 (blockSize); }
        void processSine (int frames, int level, int cycles) { op (process); u16 (frames); u8 (sine); u16 (level); u16 (cycles); }
        void processNoise (int frames, int level) { op (process); u16 (frames); u8 (noise); u16 (level); u16 (1); }
    };
}
