// Compile-time checks of the 32-bit Windows boundary: the tools the layout
// checks (win32_layout_checks.cpp) are written with, kept apart so that a
// test can show each of them rejects a wrong layout or convention.
#ifndef VEXOLIN_ABI_WIN32_LAYOUT_CHECKS_H
#define VEXOLIN_ABI_WIN32_LAYOUT_CHECKS_H

#if !defined(_WIN32) || defined(_WIN64)
#error "these checks state the layout of 32-bit Windows; compile them for that target only"
#endif

#include <cstddef>
#include <type_traits>

// Size and alignment of a boundary type.
#define VEXOLIN_CHECK_LAYOUT(type, size, align)                                           \
    static_assert(sizeof(type) == (size), "size of " #type " differs on 32-bit Windows"); \
    static_assert(alignof(type) == (align), "alignment of " #type " differs on 32-bit Windows")

// Offset of one field of a boundary record.
#define VEXOLIN_CHECK_OFFSET(type, field, offset) \
    static_assert(offsetof(type, field) == (offset), "offset of " #type "::" #field " differs on 32-bit Windows")

// The function `fn` has exactly the type `ret __cdecl params`. The calling
// convention is part of a function's type on 32-bit x86, so a function or a
// declaration that is __stdcall, __fastcall or __thiscall fails here.
#define VEXOLIN_CHECK_CDECL(fn, ret, params)                                                    \
    static_assert(std::is_same_v<decltype(&fn), ret(__cdecl *) params>,                         \
                  #fn " is not declared as " #ret " __cdecl " #params " on 32-bit Windows")

// A pointer type of the boundary is exactly `ret (__cdecl *) params`.
#define VEXOLIN_CHECK_CDECL_POINTER(type, ret, params) \
    static_assert(std::is_same_v<type, ret(__cdecl *) params>, #type " is not a __cdecl " #params " pointer on 32-bit Windows")

#endif
