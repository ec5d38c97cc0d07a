# Every build of the engine goes through velmora_add_engine: the plug-ins' library, the
# Debug build the emulator runs, the sanitizer and fuzzing variants. The block path is
# compiled once per instruction set, each file with its own target options, and nothing
# else is; the engine picks one at construction. Any other file built for an instruction
# set goes through velmora_add_engine_objects, with the same options.
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

# The compile options of every engine file into out_var: those the sums' order needs,
# the caller's OPTIONS, and for an instruction-set file its target options. The files
# also get the framework's recommended warnings (flags only, no framework code).
# Sums must run in the order written: no fused multiply-adds behind our back.
# The maths functions never need errno, which lets log and exp count as pure.
function(velmora_engine_options out_var)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "ISA" "OPTIONS")
    set(options -ffp-contract=off -fno-math-errno ${arg_OPTIONS})
    if(arg_ISA)
        velmora_isa_options(${arg_ISA} isa_options)
        list(APPEND options ${isa_options})
    endif()
    set(${out_var} ${options} PARENT_SCOPE)
endfunction()

# velmora_add_engine(<name> [OPTIONS <compile option>...])
# A static library of the engine; OPTIONS go to every one of its files.
function(velmora_add_engine name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "OPTIONS")
    get_filename_component(dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../engine" ABSOLUTE)
    velmora_engine_options(options OPTIONS ${arg_OPTIONS})

    set(objects)
    foreach(isa avx2 avx512)
        set(file_isa Avx2)
        if(isa STREQUAL "avx512")
            set(file_isa Avx512)
        endif()
        velmora_add_engine_objects(${name}_${isa} ISA ${isa} OPTIONS ${arg_OPTIONS}
                                   SOURCES ${dir}/EngineKernels${file_isa}.cpp)
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
    target_link_libraries(${name} PRIVATE juce::juce_recommended_warning_flags)
endfunction()

# velmora_add_engine_objects(<name> ISA <isa> SOURCES <file>... [OPTIONS <option>...])
# An object library of files built as the engine's files of one instruction set are,
# such as a benchmark's copy of a block loop: an inline function instantiated with other
# options would be a second, different definition, and the linker keeps either one.
function(velmora_add_engine_objects name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "ISA" "SOURCES;OPTIONS")
    get_filename_component(dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../engine" ABSOLUTE)
    velmora_engine_options(options ISA ${arg_ISA} OPTIONS ${arg_OPTIONS})
    add_library(${name} OBJECT ${arg_SOURCES})
    target_include_directories(${name} PRIVATE ${dir})
    target_compile_options(${name} PRIVATE ${options})
    target_compile_features(${name} PRIVATE cxx_std_17)
    target_link_libraries(${name} PRIVATE juce::juce_recommended_warning_flags)
endfunction()
