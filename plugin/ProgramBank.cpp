#include "ProgramBank.h"

ProgramBank::ProgramBank()
{
    for (auto& name : names)
        name = ProgramSlot().name;
}

void ProgramBank::setCurrent (int program) noexcept
{
    if (juce::isPositiveAndBelow (program, numPrograms))
        current = program;
}

float ProgramBank::getValue (int program, int index) const noexcept
{
    return values[program][index];
}

int ProgramBank::store (int index, float value) noexcept
{
    const int program = current;
    values[program][index] = value;

    if (! isSwitchedOn (value) || (index != deltaIndex && index != bypassIndex))
        return -1;

    const int other = index == deltaIndex ? bypassIndex : deltaIndex;
    values[program][other] = 0.0f;
    return other;
}

juce::String ProgramBank::getName (int program) const
{
    const juce::SpinLock::ScopedLockType lock (nameLock);
    return names[program];
}

void ProgramBank::setName (int program, const juce::String& name)
{
    const juce::SpinLock::ScopedLockType lock (nameLock);
    names[program] = name;
}

ProgramSlot ProgramBank::getProgram (int program) const
{
    ProgramSlot slot;
    slot.name = getName (program);

    for (int i = 0; i < numParameters; ++i)
        slot.values[i] = values[program][i];

    return slot;
}

ProgramRecords ProgramBank::getRecords() const
{
    ProgramRecords records;

    for (int k = 0; k < numPrograms; ++k)
        records[static_cast<size_t> (k)] = getProgram (k);

    return records;
}

void ProgramBank::setRecords (const ProgramRecords& records)
{
    for (int k = 0; k < numPrograms; ++k)
    {
        const auto& slot = records[static_cast<size_t> (k)];
        setName (k, slot.name);

        for (int i = 0; i < numParameters; ++i)
            values[k][i] = slot.values[i];
    }
}
