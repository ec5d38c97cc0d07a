#pragma once

/** The block engine works through a host block in chunks of at most this many host
    frames, so every buffer it needs has a fixed size (and fits in the first-level
    cache). A multiple of every vector step of the block filters. */
namespace EngineChunk
{
constexpr int hostFrames = 128;
constexpr int subFrames = 2 * hostFrames;  // frames at the processing rate
} // namespace EngineChunk
