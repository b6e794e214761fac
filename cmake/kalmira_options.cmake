# kalmira_options: the one target that carries the project's warnings, instrumentation and
# hardening; every target of the project links it privately.
#
# A packager's own flags (CXXFLAGS, LDFLAGS, a toolchain file) always win: warnings become
# errors only where the project's presets ask for it, and a hardening flag is added only where
# those flags do not already choose it and where the compiler takes it for this architecture.
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

add_library(kalmira_options INTERFACE)
target_compile_options(kalmira_options INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow -Wnull-dereference
  -Wimplicit-fallthrough $<$<COMPILE_LANGUAGE:CXX>:-Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual>
  $<$<BOOL:${KALMIRA_WARNINGS_AS_ERRORS}>:-Werror>
  # GCC 12 reports false -Wrestrict overlaps in std::string concatenation at -O2 (its bug 105329).
  $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)

if(KALMIRA_SANITIZE OR KALMIRA_FUZZ)
  set(sanitizers address,undefined)
  if(KALMIRA_FUZZ)
    set(sanitizers ${sanitizers},fuzzer-no-link)
  endif()
  target_compile_options(kalmira_options INTERFACE
    -fsanitize=${sanitizers} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(kalmira_options INTERFACE -fsanitize=address,undefined)
  return()
endif()
if(WIN32 OR KALMIRA_WEB)
  return()
endif()

# Optimised builds on Unix are hardened: the program opens files named by anyone. Fortify
# needs the optimiser, so only optimised build types get it.
string(TOUPPER "${CMAKE_BUILD_TYPE}" build_type)
set(given_compile_flags "${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${build_type}}")
set(given_link_flags "${CMAKE_EXE_LINKER_FLAGS}")
set(optimised $<CONFIG:Release,RelWithDebInfo,MinSizeRel>)

# Adds FLAG when the given flags do not mention PATTERN and the compiler accepts FLAG.
function(kalmira_harden pattern flag)
  string(MAKE_C_IDENTIFIER "KALMIRA_TAKES${flag}" accepted)
  if(NOT given_compile_flags MATCHES "${pattern}")
    check_cxx_compiler_flag("${flag}" ${accepted})
    if(${accepted})
      target_compile_options(kalmira_options INTERFACE $<${optimised}:${flag}>)
    endif()
  endif()
endfunction()
kalmira_harden("-f(no-)?stack-protector" -fstack-protector-strong)
kalmira_harden("-f(no-)?stack-clash-protection" -fstack-clash-protection)
kalmira_harden("-f(no-)?cf-protection" -fcf-protection)  # x86 only: the check skips it elsewhere
kalmira_harden("-Wformat" -Wformat)
kalmira_harden("format-security" -Werror=format-security)
# Undefining first keeps a compiler's own default level from clashing with ours.
if(NOT given_compile_flags MATCHES "_FORTIFY_SOURCE")
  target_compile_options(kalmira_options INTERFACE
    $<${optimised}:-U_FORTIFY_SOURCE> $<${optimised}:-D_FORTIFY_SOURCE=3>)
endif()

# Position-independent executables the portable way.
include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

# Full RELRO and immediate binding, unless the given flags choose otherwise.
function(kalmira_harden_link pattern option)
  if(NOT given_link_flags MATCHES "${pattern}")
    check_linker_flag(CXX "LINKER:-z,${option}" KALMIRA_LINKS_Z_${option})
    if(KALMIRA_LINKS_Z_${option})
      target_link_options(kalmira_options INTERFACE $<${optimised}:LINKER:-z,${option}>)
    endif()
  endif()
endfunction()
kalmira_harden_link("-z,(no)?relro" relro)
kalmira_harden_link("-z,(now|lazy)" now)
