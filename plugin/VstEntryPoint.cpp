// The library's VST 2 entry points. They create the effect through the framework's
// client layer and then make the record answer the host as this plug-in intends where
// the framework decides otherwise: no "bypass", DPI-scaling or vendor-extension
// capability (a host would route its own bypass to an opcode this plug-in never acts
// on), sound is produced in stop, and the pins are named "1" and "2".

#include <atomic>
#include <cstdio>
#include <cstring>

// The same namespace as the framework's client layer, so both sides share one type.
namespace Vst2
{
#include <pluginterfaces/vst2.x/aeffectx.h>
}

using namespace Vst2;

extern "C" AEffect* juceVstPluginMain (audioMasterCallback audioMaster);

namespace
{
    // The framework's dispatcher is one function for every instance.
    std::atomic<AEffectDispatcherProc> frameworkDispatcher { nullptr };

    bool isWithdrawnCapability (const void* text)
    {
        if (text == nullptr)
            return false;

        const auto* query = static_cast<const char*> (text);
        return std::strcmp (query, "bypass") == 0
            || std::strcmp (query, "supportsViewDpiScaling") == 0
            || std::strcmp (query, "hasCockosExtensions") == 0;
    }

    void nameByPosition (int index, void* properties)
    {
        auto& pin = *static_cast<VstPinProperties*> (properties);
        char name[16];
        std::snprintf (name, sizeof (name), "%d", index + 1);
        std::snprintf (pin.label, sizeof (pin.label), "%s", name);
        std::snprintf (pin.shortLabel, sizeof (pin.shortLabel), "%s", name);
    }

    VstIntPtr dispatch (AEffect* effect, int opcode, int index, VstIntPtr value, void* ptr, float opt)
    {
        if (opcode == effCanDo && isWithdrawnCapability (ptr))
            return 0;

        const auto result = frameworkDispatcher.load (std::memory_order_relaxed) (effect, opcode, index, value, ptr, opt);

        if ((opcode == effGetInputProperties || opcode == effGetOutputProperties) && result != 0 && ptr != nullptr)
            nameByPosition (index, ptr);

        return result;
    }
}

extern "C" __attribute__ ((visibility ("default"))) AEffect* VSTPluginMain (audioMasterCallback audioMaster)
{
    auto* effect = juceVstPluginMain (audioMaster);

    if (effect != nullptr)
    {
        frameworkDispatcher.store (effect->dispatcher, std::memory_order_relaxed);
        effect->dispatcher = dispatch;
        effect->flags &= ~effFlagsNoSoundInStop;
    }

    return effect;
}

extern "C" __attribute__ ((visibility ("default"))) AEffect* velmoraMain (audioMasterCallback audioMaster) asm ("main");
extern "C" __attribute__ ((visibility ("default"))) AEffect* velmoraMain (audioMasterCallback audioMaster)
{
    return VSTPluginMain (audioMaster);
}
