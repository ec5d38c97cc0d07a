# The options of the engine's sources in the directory that compiles them. Source
# properties belong to a directory, so every build of the engine (the library, the
# sanitizer variants) sets them through this one list. The block path is compiled once
# per instruction set; the engine picks one at construction.
function(velmora_engine_source_options engine_dir)
    set(common ${ARGN})
    set(avx2 ${common} -mavx2 -mfma)
    set(avx512 ${common} -mavx512f -mavx512dq -mavx2 -mfma -mprefer-vector-width=512)

    file(GLOB sources "${engine_dir}/*.cpp")
    if(common)
        set_source_files_properties(${sources} PROPERTIES COMPILE_OPTIONS "${common}")
    endif()
    set_source_files_properties("${engine_dir}/EngineKernelsAvx2.cpp" PROPERTIES COMPILE_OPTIONS "${avx2}")
    set_source_files_properties("${engine_dir}/EngineKernelsAvx512.cpp" PROPERTIES COMPILE_OPTIONS "${avx512}")
endfunction()
