#pragma once

/** The logarithmic constants the engine's conversions and its fast paths share. */
namespace Logarithms
{
constexpr double dbPerNeper = 8.685889638065037;    // 20 / ln 10
constexpr double nepersPerDb = 0.11512925464970228; // ln 10 / 20
constexpr double ln2 = 0.6931471805599453;
} // namespace Logarithms
