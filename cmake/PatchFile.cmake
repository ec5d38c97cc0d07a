# velmora_patch_file(<source> <destination> [REBASE_INCLUDES <from> <to>] <from> <to>...)
# Copies a file from a system package into the build folder with exact text
# replacements, given as pairs of arguments after the two paths. Every original text
# must occur exactly once in the original file, and no two may overlap; otherwise
# configuring stops, naming the file and the text: a changed upstream file must be
# looked at again, never patched blindly. All pairs are applied in one pass over the
# original, so a replacement is never searched again and no pair can match what
# another one inserted.
# REBASE_INCLUDES turns every '#include "<from>' of the original into
# '#include "<to>', for a copy that must reach the framework's other files through the
# module path. It touches only the original's text outside the pairs (an include inside
# a pair's text is that pair's to replace), and stops the configure when there is no
# such include or one straddles the edge of a pair's text.
# The copy depends on its original: a changed original configures again.
function(velmora_patch_file source destination)
    set(i 2)
    set(rebase OFF)
    if(ARGC GREATER 4 AND "${ARGV2}" STREQUAL "REBASE_INCLUDES")
        set(rebase ON)
        set(rebase_from "#include \"${ARGV3}")
        set(rebase_to "#include \"${ARGV4}")
        set(i 5)
    endif()
    math(EXPR odd "(${ARGC} - ${i}) % 2")
    if(odd)
        message(FATAL_ERROR "velmora_patch_file: replacements must come in pairs")
    endif()

    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
    file(READ "${source}" original)

    # Each pair's place in the original, as "<zero-padded position>:<argument index>" so
    # that a plain sort orders them by position.
    # ARGV<n> keeps each argument whole; ARGN would split texts at semicolons.
    set(places)
    while(i LESS ARGC)
        set(from "${ARGV${i}}")
        if(from STREQUAL "")
            message(FATAL_ERROR "velmora_patch_file: an empty text to replace in ${source}")
        endif()
        string(FIND "${original}" "${from}" first)
        string(FIND "${original}" "${from}" last REVERSE)
        if(first EQUAL -1)
            message(FATAL_ERROR "velmora_patch_file: ${source} does not hold this text:\n${from}")
        elseif(NOT first EQUAL last)
            message(FATAL_ERROR "velmora_patch_file: ${source} holds this text more than once:\n${from}")
        endif()
        string(LENGTH "000000000${first}" padded_length)
        math(EXPR cut "${padded_length} - 10")
        string(SUBSTRING "000000000${first}" ${cut} 10 padded)
        list(APPEND places "${padded}:${i}")
        math(EXPR i "${i} + 2")
    endwhile()
    list(SORT places)

    set(text "")
    set(cursor 0)
    set(rebased 0)
    foreach(place IN LISTS places)
        string(REGEX MATCH "^0*([0-9]+):([0-9]+)$" _ "${place}")
        set(position ${CMAKE_MATCH_1})
        set(index ${CMAKE_MATCH_2})
        math(EXPR to_index "${index} + 1")
        set(from "${ARGV${index}}")
        if(position LESS cursor)
            message(FATAL_ERROR "velmora_patch_file: in ${source} this text overlaps another one:\n${from}")
        endif()
        math(EXPR length "${position} - ${cursor}")
        string(SUBSTRING "${original}" ${cursor} ${length} unchanged)
        _velmora_rebase_includes()
        string(APPEND text "${unchanged}${ARGV${to_index}}")
        # Includes inside the pair's own text are counted as seen; the pair replaces them.
        set(unchanged "${from}")
        _velmora_rebase_includes()
        string(LENGTH "${from}" from_length)
        math(EXPR cursor "${position} + ${from_length}")
    endforeach()
    string(SUBSTRING "${original}" ${cursor} -1 unchanged)
    _velmora_rebase_includes()
    string(APPEND text "${unchanged}")

    if(rebase)
        _velmora_count("${original}" "${rebase_from}" expected)
        if(expected EQUAL 0)
            message(FATAL_ERROR "velmora_patch_file: ${source} does not hold this text:\n${rebase_from}")
        elseif(NOT expected EQUAL rebased)
            message(FATAL_ERROR "velmora_patch_file: in ${source} a replaced text cuts an include:\n${rebase_from}")
        endif()
    endif()

    file(WRITE "${destination}.tmp" "${text}")
    file(COPY_FILE "${destination}.tmp" "${destination}" ONLY_IF_DIFFERENT)
    file(REMOVE "${destination}.tmp")
endfunction()

# How often needle occurs in text, into out_var.
function(_velmora_count text needle out_var)
    string(REPLACE "${needle}" "" without "${text}")
    string(LENGTH "${text}" length)
    string(LENGTH "${without}" without_length)
    string(LENGTH "${needle}" needle_length)
    math(EXPR count "(${length} - ${without_length}) / ${needle_length}")
    set(${out_var} ${count} PARENT_SCOPE)
endfunction()

# Rebases the includes in 'unchanged' and counts them in 'rebased', in the caller's scope.
macro(_velmora_rebase_includes)
    if(rebase)
        _velmora_count("${unchanged}" "${rebase_from}" _velmora_found)
        math(EXPR rebased "${rebased} + ${_velmora_found}")
        string(REPLACE "${rebase_from}" "${rebase_to}" unchanged "${unchanged}")
    endif()
endmacro()
