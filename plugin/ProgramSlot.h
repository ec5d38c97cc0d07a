#pragma once

#include "ParameterTable.h"

#include <array>

/** One program of the bank: a name and a value for every parameter index, the
    placeholders included. */
struct ProgramSlot
{
    juce::String name { "default" };
    float values[numParameters] {};
};

/** The processor's fixed bank of programs. */
using ProgramBank = std::array<ProgramSlot, 15>;
