#pragma once

#include "ParameterTable.h"

#include <array>

/** One program: a name and a value for every parameter index, the placeholders
    included. */
struct ProgramSlot
{
    juce::String name { "default" };
    float values[numParameters] {};
};

constexpr int numPrograms = 15;

/** A plain copy of every program, as the saved state holds them. */
using ProgramRecords = std::array<ProgramSlot, numPrograms>;
