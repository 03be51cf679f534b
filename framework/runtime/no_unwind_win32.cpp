// The product is built without exceptions and never throws. The static C++
// runtime still carries, inside its string and allocation code, the entry points
// of exception handling, and linking them drags in the unwinder, the exception
// allocator and the symbol demangler: about half of the executable. These
// definitions take their place. Every one of them ends the process, because
// reaching any of them would mean a throw, which this program never makes.
//
// This file is linked into the executable as an object of its own (not from a
// library), so that the runtime's archive members are never pulled in for them.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size)
{
    void* block = std::malloc(size ? size : 1);
    if (!block)
        std::abort();
    return block;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace std {
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
} // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
} // namespace __gnu_cxx

extern "C" {
void* __cxa_begin_catch(void*) { std::abort(); }
void __cxa_end_catch() { std::abort(); }
void __cxa_rethrow() { std::abort(); }
int __gxx_personality_v0() { std::abort(); }
#if defined(__SEH__)
// The 64-bit runtime's personality routine (table-based unwinding). The system may
// call it for any structured exception that passes these frames: it finds no
// handler here and lets the search go on (_URC_CONTINUE_UNWIND).
int __gxx_personality_seh0() { return 8; }
#endif
void _Unwind_Resume(void*) { std::abort(); }
}
