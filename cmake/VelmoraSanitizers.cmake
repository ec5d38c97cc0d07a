# The sanitizer flags of every instrumented build, in one place.
#   address  AddressSanitizer and UndefinedBehaviorSanitizer, stopping at the first fault
#   thread   ThreadSanitizer
#   fuzzer   address, with libFuzzer's coverage; a fuzz target links -fsanitize=fuzzer itself
# velmora_sanitizer_flags(<kind> <compile out_var> <link out_var>)
function(velmora_sanitizer_flags kind compile_var link_var)
    set(address -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g)
    if(kind STREQUAL "address")
        set(compile ${address})
        set(link -fsanitize=address,undefined)
    elseif(kind STREQUAL "thread")
        set(compile -fsanitize=thread -g)
        set(link -fsanitize=thread)
    elseif(kind STREQUAL "fuzzer")
        set(compile -fsanitize=fuzzer-no-link ${address})
        set(link -fsanitize=address,undefined)
    else()
        message(FATAL_ERROR "no sanitizer kind ${kind}")
    endif()
    set(${compile_var} ${compile} PARENT_SCOPE)
    set(${link_var} ${link} PARENT_SCOPE)
endfunction()

# velmora_sanitize(<target> <PUBLIC|PRIVATE> <kind>)
function(velmora_sanitize target scope kind)
    velmora_sanitizer_flags(${kind} compile link)
    target_compile_options(${target} ${scope} ${compile})
    target_link_options(${target} ${scope} ${link})
endfunction()
