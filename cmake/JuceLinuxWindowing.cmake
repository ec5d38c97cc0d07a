# JUCE's Linux window code, copied with one change: a window's repaint timer (100 Hz
# on displays that name no refresh rate, such as a virtual one) sleeps while the window
# has nothing to paint, no paint in flight, no back buffer left to release and no
# v-blank listener, and the next repaint request wakes it. An open editor that shows
# nothing new then costs no wake-ups. Nothing here listens to the v-blank; a listener
# attached while the timer sleeps is first called after the next repaint request.
# The module's own source file is copied too, including its parts through the module
# path, so that it takes the changed window code from beside it.
include(${CMAKE_CURRENT_LIST_DIR}/PatchFile.cmake)

get_target_property(velmora_gui_sources juce_gui_basics INTERFACE_SOURCES)
set(velmora_gui_original "${JUCE_MODULES_DIR}/juce_gui_basics/juce_gui_basics.cpp")
if(NOT velmora_gui_original IN_LIST velmora_gui_sources)
    message(FATAL_ERROR "JUCE's GUI module source is not where it was expected")
endif()

set(velmora_gui_dir "${CMAKE_BINARY_DIR}/juce-gui-basics")
set(velmora_gui_copy "${velmora_gui_dir}/juce_gui_basics.cpp")
velmora_patch_file("${velmora_gui_original}" "${velmora_gui_copy}"
    REBASE_INCLUDES "" "juce_gui_basics/"
    "#include \"native/juce_linux_Windowing.cpp\"" "#include \"juce_linux_Windowing.cpp\"")

velmora_patch_file("${JUCE_MODULES_DIR}/juce_gui_basics/native/juce_linux_Windowing.cpp"
    "${velmora_gui_dir}/juce_linux_Windowing.cpp"
    [=[        if (repainter != nullptr)
            repainter->repaint (area.getIntersection (bounds.withZeroOrigin()));
    }]=]
    [=[        if (repainter != nullptr)
            repainter->repaint (area.getIntersection (bounds.withZeroOrigin()));

        if (! vBlankManager.isTimerRunning())
            updateVBlankTimer();
    }]=]
    [=[            else if (Time::getApproximateMillisecondCounter() > lastTimeImageUsed + 3000)
                image = Image();
        }]=]
    [=[            else if (Time::getApproximateMillisecondCounter() > lastTimeImageUsed + 3000)
                image = Image();
        }

        bool isIdle() const
        {
            return regionsNeedingRepaint.isEmpty() && image.isNull()
                   && XWindowSystem::getInstance()->getNumPaintsPendingForWindow (peer.windowH) == 0;
        }]=]
    [=[        if (repainter != nullptr)
            repainter->dispatchDeferredRepaints();
    }]=]
    [=[        if (repainter != nullptr)
            repainter->dispatchDeferredRepaints();

        if (vBlankListeners.isEmpty() && (repainter == nullptr || repainter->isIdle()))
            vBlankManager.stopTimer();
    }]=])

list(TRANSFORM velmora_gui_sources REPLACE "^${velmora_gui_original}$" "${velmora_gui_copy}")
set_property(TARGET juce_gui_basics PROPERTY INTERFACE_SOURCES "${velmora_gui_sources}")
