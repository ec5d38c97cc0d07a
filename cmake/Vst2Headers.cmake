# The VST 2 interface headers JUCE includes, made from Debian's FST at configure time.
# FST declares two arrays as flexible members; JUCE allocates those structs as if they
# held 8 speakers and 2 events, so the copy gives them exactly those sizes.
include(${CMAKE_CURRENT_LIST_DIR}/PatchFile.cmake)

find_path(VELMORA_FST_DIR fst.h PATHS /usr/include/pluginterfaces/fst REQUIRED NO_DEFAULT_PATH)

set(VELMORA_VST2_INCLUDE_DIR "${CMAKE_BINARY_DIR}/vst2-sdk")
set(vst2_dir "${VELMORA_VST2_INCLUDE_DIR}/pluginterfaces/vst2.x")
file(MAKE_DIRECTORY "${vst2_dir}")

velmora_patch_file("${VELMORA_FST_DIR}/fst.h" "${vst2_dir}/fst.h"
    "t_fstEvent*events[];" "t_fstEvent*events[2];"
    "t_fstSpeakerProperties speakers[];" "t_fstSpeakerProperties speakers[8];")
velmora_patch_file("${VELMORA_FST_DIR}/aeffect.h" "${vst2_dir}/aeffect.h")
velmora_patch_file("${VELMORA_FST_DIR}/aeffectx.h" "${vst2_dir}/aeffectx.h")
