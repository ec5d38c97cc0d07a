# Every build of the engine goes through velmora_add_engine: the plug-ins' library, the
# Debug build the emulator runs, the sanitizer and fuzzing variants. The block path is
# compiled once per instruction set, each file with its own target options, and nothing
# else is; the engine picks one at construction.
# The target options of one instruction set (avx2, avx512) into out_var.
function(velmora_isa_options isa out_var)
    if(isa STREQUAL "avx2")
        set(${out_var} -mavx2 -mfma PARENT_SCOPE)
    elseif(isa STREQUAL "avx512")
        set(${out_var} -mavx512f -mavx512dq -mavx2 -mfma -mprefer-vector-width=512 PARENT_SCOPE)
    else()
        message(FATAL_ERROR "no instruction set ${isa}")
    endif()
endfunction()

# velmora_add_engine(<name> [OPTIONS <compile option>...])
# A static library of the engine; OPTIONS go to every one of its files.
function(velmora_add_engine name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "OPTIONS")
    get_filename_component(dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../engine" ABSOLUTE)
    # Sums must run in the order written: no fused multiply-adds behind our back.
    # The maths functions never need errno, which lets log and exp count as pure.
    set(options -Wall -Wextra -ffp-contract=off -fno-math-errno ${arg_OPTIONS})

    set(objects)
    foreach(isa avx2 avx512)
        velmora_isa_options(${isa} isa_options)
        set(file_isa Avx2)
        if(isa STREQUAL "avx512")
            set(file_isa Avx512)
        endif()
        add_library(${name}_${isa} OBJECT ${dir}/EngineKernels${file_isa}.cpp)
        target_compile_options(${name}_${isa} PRIVATE ${options} ${isa_options})
        target_compile_features(${name}_${isa} PRIVATE cxx_std_17)
        list(APPEND objects $<TARGET_OBJECTS:${name}_${isa}>)
    endforeach()

    add_library(${name} STATIC
        ${dir}/CompressorEngine.cpp
        ${dir}/Conversions.cpp
        ${dir}/EngineKernelsSse2.cpp
        ${dir}/EngineState.cpp
        ${dir}/FilterTables.cpp
        ${dir}/HalfBandDecimator.cpp
        ${dir}/HalfBandInterpolator.cpp
        ${dir}/Kernel.cpp
        ${dir}/KeyFilter.cpp
        ${dir}/SoftplusTable.cpp
        ${objects})
    target_include_directories(${name} PUBLIC ${dir})
    target_compile_features(${name} PUBLIC cxx_std_17)
    target_compile_options(${name} PRIVATE ${options})
endfunction()
