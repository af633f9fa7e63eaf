# 32-bit x86 Linux with the host compiler and its multilib (-m32) support.
# The programs run through qemu-i386 (user-mode emulation), whether or not
# the kernel could run them itself, so the results come from an emulated
# 32-bit CPU.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

# Libraries come from the 32-bit multilib folders, never the 64-bit ones.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set_property(GLOBAL PROPERTY FIND_LIBRARY_USE_LIB32_PATHS TRUE)
set_property(GLOBAL PROPERTY FIND_LIBRARY_USE_LIB64_PATHS FALSE)

# -L /: the i386 dynamic linker and libraries are found under the real root
# (/lib/ld-linux.so.2 and /usr/lib32 from the multilib packages).
find_program(VEXOLIN_QEMU_I386 qemu-i386 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR "${VEXOLIN_QEMU_I386};-L;/")
