// Calls a function the way a __stdcall caller would and measures what the
// callee left on the stack, which a compiler-generated call would hide.
#pragma once

namespace zorik::wine {

// Pushes `argumentCount` (1 or 2) arguments, `second` first, calls `function`
// and returns how many bytes of them were still on the stack afterwards:
// 0 for a __stdcall callee, 4 * argumentCount for a __cdecl one.
extern "C" int __cdecl zorik_stack_left_by(const void* function, int argumentCount, int first,
                                           int second);

} // namespace zorik::wine
