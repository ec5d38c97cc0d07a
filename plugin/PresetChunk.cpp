#include "PresetChunk.h"

#include <charconv>

namespace
{
    constexpr juce::uint32 chunkMagic = 0x21324356;
    constexpr int headerBytes = 8;

    // Our documents are three levels deep. The framework's parser recurses once per
    // level and expands DTD entities recursively, so a hostile chunk could exhaust the
    // stack; such text is treated like any other unreadable chunk.
    constexpr int deepestNesting = 64;

    bool declaresDocumentType (const juce::String& text)
    {
        return text.containsIgnoreCase ("<!DOCTYPE") || text.containsIgnoreCase ("<!ENTITY");
    }

    bool nestsTooDeeply (const juce::String& text)
    {
        int depth = 0;
        auto p = text.getCharPointer();

        while (! p.isEmpty())
        {
            if (p.getAndAdvance() != '<')
                continue;

            const auto first = *p;
            if (first == '?' || first == '!')
                continue;
            if (first == '/')
            {
                --depth;
                continue;
            }

            juce::juce_wchar quote = 0, previous = 0, c = 0;
            while (! p.isEmpty() && ! ((c = p.getAndAdvance()) == '>' && quote == 0))
            {
                if (c == '"' || c == '\'')
                    quote = (quote == c) ? 0 : (quote == 0 ? c : quote);
                previous = c;
            }

            if (previous != '/' && ++depth > deepestNesting)
                return true;
        }

        return false;
    }

    const juce::String* findAttribute (const juce::XmlElement& element, const char* name)
    {
        for (int i = 0; i < element.getNumAttributes(); ++i)
            if (element.getAttributeName (i).equalsIgnoreCase (name))
                return &element.getAttributeValue (i);

        return nullptr;
    }

    /** The leading decimal integer of a text, 0 when it starts with no digits. Large
        values saturate instead of overflowing. */
    juce::int64 leadingInteger (const juce::String& text)
    {
        auto p = text.getCharPointer().findEndOfWhitespace();
        const bool negative = *p == '-';
        if (negative || *p == '+')
            ++p;

        juce::int64 value = 0;
        for (auto c = *p; c >= '0' && c <= '9'; c = *++p)
            value = juce::jmin<juce::int64> (value * 10 + (c - '0'), std::numeric_limits<int>::max() + juce::int64 { 1 });

        return negative ? -value : value;
    }

    float readValue (const juce::XmlElement& program, const char* key)
    {
        if (auto* text = findAttribute (program, key))
            return static_cast<float> (text->getDoubleValue());

        return 0.0f;
    }

    void readProgram (const juce::XmlElement& element, ProgramSlot& slot)
    {
        auto* name = findAttribute (element, "programname");
        slot.name = name != nullptr ? *name : juce::String ("Not Saved");

        for (int i = 0; i < numNamedParameters; ++i)
            slot.values[i] = readValue (element, parameterTable[i].stateKey);
    }

    void readPrograms (const juce::XmlElement& list, ProgramRecords& programs)
    {
        int k = 0;

        for (auto* element : list.getChildIterator())
        {
            if (k >= PresetChunk::numPrograms)
                break;

            if (element->getTagName().equalsIgnoreCase ("program"))
                readProgram (*element, programs[static_cast<size_t> (k++)]);
        }
    }

    juce::XmlElement* writeProgram (const ProgramSlot& slot)
    {
        auto* element = new juce::XmlElement ("program");
        element->setAttribute ("programname", slot.name);

        for (int i = 0; i < numNamedParameters; ++i)
            element->setAttribute (parameterTable[i].stateKey, PresetChunk::writeValue (slot.values[i]));

        return element;
    }
}

juce::String PresetChunk::writeValue (float value)
{
    char buffer[32];
    const auto result = std::to_chars (buffer, buffer + sizeof (buffer), static_cast<double> (value),
                                       std::chars_format::general, 9);
    return juce::String (buffer, static_cast<size_t> (result.ptr - buffer));
}

void PresetChunk::write (int currentProgram, const ProgramRecords& programs, juce::MemoryBlock& chunk)
{
    juce::XmlElement root ("VelmoraPreset");
    root.setAttribute ("currentprogram", currentProgram);
    root.setAttribute ("version", 1);

    auto* list = root.createNewChildElement ("programs");
    for (const auto& slot : programs)
        list->addChildElement (writeProgram (slot));

    wrap (root.toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()), chunk);
}

void PresetChunk::wrap (const juce::String& documentText, juce::MemoryBlock& chunk)
{
    const auto textBytes = static_cast<juce::uint32> (documentText.getNumBytesAsUTF8());
    const char trailer[2] = { 0, 0 };

    chunk.reset();
    juce::MemoryOutputStream out (chunk, false);
    out.writeInt (static_cast<int> (chunkMagic));
    out.writeInt (static_cast<int> (textBytes));
    out.write (documentText.toRawUTF8(), textBytes);
    out.write (trailer, sizeof (trailer));
}

std::unique_ptr<juce::XmlElement> PresetChunk::unwrap (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= headerBytes
        || juce::ByteOrder::littleEndianInt (data) != chunkMagic)
        return {};

    const auto declaredLength = static_cast<int> (juce::ByteOrder::littleEndianInt (juce::addBytesToPointer (data, 4)));
    if (declaredLength <= 0)
        return {};

    // A private, zero-terminated copy: the framework's UTF-8 decoder may look one byte
    // past a truncated multi-byte sequence.
    const auto length = static_cast<size_t> (juce::jmin (sizeInBytes - headerBytes, declaredLength));
    juce::HeapBlock<char> bytes (length + 1, true);
    std::memcpy (bytes.get(), juce::addBytesToPointer (data, headerBytes), length);

    if (! juce::CharPointer_UTF8::isValidString (bytes.get(), static_cast<int> (length)))
        return {};

    const auto text = juce::String::fromUTF8 (bytes.get(), static_cast<int> (length));
    if (declaresDocumentType (text) || nestsTooDeeply (text))
        return {};

    return juce::parseXML (text);
}

void PresetChunk::read (const void* data, int sizeInBytes, ProgramRecords& programs, int& currentProgram)
{
    const auto document = unwrap (data, sizeInBytes);
    if (document == nullptr || ! document->getTagName().equalsIgnoreCase ("VelmoraPreset"))
        return;

    // An index the bank does not have would send later edits nowhere: keep the old one.
    auto* indexText = findAttribute (*document, "currentprogram");
    const auto index = indexText != nullptr ? leadingInteger (*indexText) : 0;
    if (index >= 0 && index < numPrograms)
        currentProgram = static_cast<int> (index);

    auto* list = document->getFirstChildElement();
    if (list != nullptr && list->getTagName().equalsIgnoreCase ("programs"))
        readPrograms (*list, programs);
}
