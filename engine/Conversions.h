#pragma once

// Unit conversions shared by the engine and the parameter display texts. The float
// versions reproduce the single-precision steps of the parameter mapping exactly, so
// a text and the engine agree to the last bit on what a value means.

/** Linear gain of a level in dB, in double precision. */
double dbToGain (double db) noexcept;

/** Level in dB of a linear gain, in double precision. */
double gainToDb (double gain) noexcept;

/** Linear gain of a level in dB, every step rounded to single precision. */
float dbToGainFloat (float db) noexcept;
