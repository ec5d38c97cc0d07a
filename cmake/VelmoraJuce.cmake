# The framework, at the one version the patched copies of its files (cmake/Juce*.cmake)
# were written for: another version must have its patches looked at again first.
set(VELMORA_JUCE_VERSION 7.0.5)
find_package(JUCE CONFIG REQUIRED)
if(NOT JUCE_VERSION VERSION_EQUAL VELMORA_JUCE_VERSION)
    message(FATAL_ERROR "Found JUCE ${JUCE_VERSION}, but Velmora's patched copies of the framework's files "
                        "were written for JUCE ${VELMORA_JUCE_VERSION}: install Debian's juce-modules-source "
                        "${VELMORA_JUCE_VERSION} (tools/setup.sh), or check every patch in cmake/Juce*.cmake "
                        "against the new version and change VELMORA_JUCE_VERSION in cmake/VelmoraJuce.cmake.")
endif()
