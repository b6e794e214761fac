// WebAssembly in this toolchain has no exception handling. The core throws only when memory runs
// out (and never catches what it could not handle otherwise), so a throw here ends the run with a
// trap, which the worker reports as a source that could not be read.
#include <cstddef>

extern "C" void* __cxa_allocate_exception(std::size_t) { __builtin_trap(); }
extern "C" void __cxa_throw(void*, void*, void (*)(void*)) { __builtin_trap(); }
