#pragma once

#include "CorvaneAudioProcessor.h"

/** The processor with its editor: what every plug-in format and the standalone
    application create. The processor alone has no editor, so that the renderer and
    the processor's tests link no editor code. */
class VelmoraPlugin : public CorvaneAudioProcessor
{
public:
    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;
};
