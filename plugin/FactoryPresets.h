#pragma once

/** The factory bank: a saved-state document compiled into the plug-in, loaded into the
    program bank when the processor is created. */
extern const char* const factoryPresetText;
