#include "StandaloneWindow.h"

#include "ProgramMenu.h"

// JUCE's own items keep their ids, so JUCE's handleMenuResult still answers them.
void StandaloneWindow::buttonClicked (juce::Button*)
{
    juce::PopupMenu menu;
    menu.addItem (1, TRANS ("Audio/MIDI Settings..."));
    menu.addSeparator();
    menu.addItem (2, TRANS ("Save current state..."));
    menu.addItem (3, TRANS ("Load a saved state..."));
    menu.addSeparator();
    menu.addItem (4, TRANS ("Reset to default state"));

    if (auto* processor = getAudioProcessor())
    {
        menu.addSeparator();
        menu.addSubMenu (TRANS ("Program"), ProgramMenu::create (*processor));
    }

    menu.showMenuAsync (juce::PopupMenu::Options(), juce::ModalCallbackFunction::forComponent (menuChosen, this));
}

// Called once the menu closes; the window may be gone by then.
void StandaloneWindow::menuChosen (int result, StandaloneWindow* window)
{
    if (window == nullptr || result == 0)
        return;

    if (auto* processor = window->getAudioProcessor(); processor != nullptr && ProgramMenu::choose (*processor, result))
        return;

    window->handleMenuResult (result);
}
