// Writes a picture of the editor as a host shows it, with some compression going on,
// for the documentation: editor_screenshot <output.png>
#include "CorvaneAudioProcessor.h"
#include "CorvaneAudioProcessorEditor.h"

int main (int argc, char* argv[])
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s <output.png>\n", argv[0]);
        return 2;
    }

    juce::ScopedJuceInitialiser_GUI gui;
    CorvaneAudioProcessor processor;
    processor.setParameter (thresholdIndex, 0.4f);
    processor.setParameter (softKneeIndex, 0.3f);
    processor.setParameter (dryMixIndex, 0.7f);
    processor.setParameter (keyHpSlopeIndex, 0.2f);
    processor.publishReadings ({ 0.6, -4.4, -3.0 });

    CorvaneAudioProcessorEditor editor (processor);
    for (int tick = 0; tick < 3; ++tick)
        editor.timerCallback();

    const auto file = juce::File::getCurrentWorkingDirectory().getChildFile (argv[1]);
    file.deleteFile();
    juce::FileOutputStream out (file);
    const auto image = editor.createComponentSnapshot (editor.getLocalBounds());
    return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out) ? 0 : 1;
}
