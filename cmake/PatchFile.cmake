# Copies a file from a system package into the build folder with exact text
# replacements, given as pairs of arguments after the two paths. Every original text
# must be found, or configuring stops: a changed upstream file must be looked at again,
# never patched blindly.
function(velmora_patch_file source destination)
    file(READ "${source}" text)
    math(EXPR odd "(${ARGC} - 2) % 2")
    if(odd)
        message(FATAL_ERROR "velmora_patch_file: replacements must come in pairs")
    endif()
    # ARGV<n> keeps each argument whole; ARGN would split texts at semicolons.
    set(i 2)
    while(i LESS ARGC)
        math(EXPR j "${i} + 1")
        set(from "${ARGV${i}}")
        set(to "${ARGV${j}}")
        string(FIND "${text}" "${from}" position)
        if(position EQUAL -1)
            message(FATAL_ERROR "velmora_patch_file: '${from}' not found in ${source}")
        endif()
        string(REPLACE "${from}" "${to}" text "${text}")
        math(EXPR i "${i} + 2")
    endwhile()
    file(WRITE "${destination}.tmp" "${text}")
    file(COPY_FILE "${destination}.tmp" "${destination}" ONLY_IF_DIFFERENT)
    file(REMOVE "${destination}.tmp")
endfunction()
