#pragma once

#include "ProgramSlot.h"

/** The saved state: the whole program bank as one XML document inside the binary
    wrapper that hosts store in their projects.

    Layout: magic 0x21324356, the text length n (both little-endian 32-bit), the
    document on one line without declaration, a zero byte and one spare byte. Values
    are written with nine significant digits so every float reads back exactly.
*/
struct PresetChunk
{
    static constexpr int numPrograms = ::numPrograms;

    /** Replaces the block's content with the chunk of this bank. */
    static void write (int currentProgram, const ProgramRecords& programs, juce::MemoryBlock& chunk);

    /** Reads a chunk into the bank as far as it can. Slots the document does not reach,
        and every slot's placeholder values, keep their content; the current program
        changes only to an index the bank has. */
    static void read (const void* data, int sizeInBytes, ProgramRecords& programs, int& currentProgram);

    /** The document of a chunk, or nothing when the bytes hold no readable document. */
    static std::unique_ptr<juce::XmlElement> unwrap (const void* data, int sizeInBytes);

    /** Wraps a document as a chunk. */
    static void wrap (const juce::String& documentText, juce::MemoryBlock& chunk);

    /** "%.9g" whatever the process locale. */
    static juce::String writeValue (float value);
};
