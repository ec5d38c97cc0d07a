# The framework, at the one version the patched copies of its files (cmake/Juce*.cmake)
# were written for: another version must have its patches looked at again first.
set(VELMORA_JUCE_VERSION 7.0.5)
find_package(JUCE ${VELMORA_JUCE_VERSION} EXACT CONFIG QUIET)
if(NOT JUCE_FOUND)
    message(FATAL_ERROR "JUCE ${VELMORA_JUCE_VERSION} not found (versions seen: '${JUCE_CONSIDERED_VERSIONS}'). "
                        "Velmora patches copies of the framework's files for exactly this version; "
                        "install Debian's juce-modules-source ${VELMORA_JUCE_VERSION} (tools/setup.sh), "
                        "or check every patch in cmake/Juce*.cmake against the new version first.")
endif()
