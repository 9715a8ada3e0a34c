# Strict warnings for every project target; WINDLARK_WERROR (on in CI) makes them fatal.
option(WINDLARK_WERROR "Treat warnings as errors" OFF)

function(windlark_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual -Wnull-dereference
    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
    -Wduplicated-cond -Wduplicated-branches -Wlogical-op -Wsuggest-override -Wcast-align
    -Wcast-qual -Wextra-semi -Wmissing-declarations
    # The fuzz preset builds with clang, which lacks a few of GCC's warnings.
    $<$<CXX_COMPILER_ID:Clang>:-Wno-unknown-warning-option>
    # GCC 12 at -O2 and above reports std::string's own inlined copies as overlapping
    # (GCC bug 105329); the warning is fixed in GCC 13.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
  if(WINDLARK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
