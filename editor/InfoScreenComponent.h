#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The information panel that takes the place of the displays: title, version,
    credits and a link to the maker's web page. It has no background of its own. */
class InfoScreenComponent : public juce::Component
{
public:
    explicit InfoScreenComponent (const juce::String& name);
    ~InfoScreenComponent() override;

    void paint (juce::Graphics& g) override;

    juce::HyperlinkButton linkButton;

    static constexpr const char* webAddress = "https://www.halvorn.com/velmora";

    /** The panel's colours, set by the look-and-feel; the link takes the hyperlink
        button's text colour. */
    enum ColourIds
    {
        titleColourId = 0x7e00400,
        textColourId = 0x7e00401,
    };

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InfoScreenComponent)
};
