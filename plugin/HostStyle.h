#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** What a plug-in format's hosts expect of the parameters besides values and texts.
    The default is the index interface of VST 2. */
struct HostStyle
{
    /** The three nameless slots that the index interface has always shown. */
    bool placeholders = true;

    /** Switches and selectors as evenly spaced entries of a list instead of the raw
        values the index interface carries. */
    bool lists = false;

    /** Ranges in the parameter's own unit (dB, ms, Hz, %) and the unit as label. */
    bool units = false;

    /** The host keeps its own copy of every value and must hear of the changes the
        plug-in makes itself: program changes, restored states, Delta and Bypass
        switching each other off. */
    bool toldOfChanges = false;

    /** ... and hears them only from the plug-in's message thread or, within its own
        calls, through the component handler it gave the plug-in. */
    bool toldOnMessageThread = false;

    /** ... except a restored state, which the client layer tells it of itself. */
    bool toldOfRestoreByClient = false;

    /** ... and of every value when processing is prepared, having no other way to
        learn them. */
    bool toldAtStart = false;

    /** The host's bypass button is the plug-in's own Bypass. */
    bool bypassIsOwn = false;

    /** The parameters come in the editor's sections, as groups of the host's own. */
    bool sections = false;

    /** The style of a plug-in format; VST 2, the renderer and the tests have the
        default. */
    static HostStyle forFormat (juce::AudioProcessor::WrapperType format) noexcept;
};
