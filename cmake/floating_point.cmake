# The selection commands compare single-precision results exactly, so every
# product and sum must be rounded to float as written: no fused
# multiply-adds, no excess precision, no value-changing optimisations.
add_library(vexolin_fp INTERFACE)
if(MSVC)
  target_compile_options(vexolin_fp INTERFACE /fp:precise)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    target_compile_options(vexolin_fp INTERFACE /arch:SSE2)
  endif()
else()
  target_compile_options(vexolin_fp INTERFACE -ffp-contract=off -fno-fast-math)
  # 32-bit x86: SSE2 arithmetic, never the x87 unit with its 80-bit registers.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4 AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86|X86|AMD64|x86_64)$")
    target_compile_options(vexolin_fp INTERFACE -msse2 -mfpmath=sse)
  endif()
endif()
