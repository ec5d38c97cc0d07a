#pragma once

#include "ProgramSlot.h"
#include "RelaxedAtomic.h"

/** The processor's fixed bank of programs and which one is current.

    The current program always holds the live values: every value a parameter takes is
    stored into it. Values are relaxed atomics, because automation stores them on the
    audio thread while a host saves the state on another. Names never change on the
    audio thread; a spin lock keeps a rename and a save apart. */
class ProgramBank
{
public:
    ProgramBank();

    int getCurrent() const noexcept { return current; }

    /** Makes a program current without touching any value; other indices are ignored. */
    void setCurrent (int program) noexcept;

    float getValue (int program, int index) const noexcept;

    /** Stores a value into the current program. Delta and Bypass exclude each other:
        switching one on stores 0 for the other, whose index is returned so that its
        parameter can follow; -1 when nothing else changed. */
    int store (int index, float value) noexcept;

    juce::String getName (int program) const;
    void setName (int program, const juce::String& name);

    /** A plain copy of one program or of all, for saving and inspection. */
    ProgramSlot getProgram (int program) const;
    ProgramRecords getRecords() const;

    /** Replaces every name and value; the current program stays as it is. */
    void setRecords (const ProgramRecords& records);

private:
    RelaxedAtomic<float> values[numPrograms][numParameters];
    juce::String names[numPrograms];
    RelaxedAtomic<int> current { 0 };
    juce::SpinLock nameLock;
};
