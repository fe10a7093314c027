# 32-bit Windows (x86), the build of the host's 32-bit releases.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
# Arithmetic in SSE2 registers, as on x64: the x87 unit's 80-bit
# intermediates round otherwise, and the scene's numbers would differ from
# the 64-bit builds' in their last digits. Every x86 processor since the
# Pentium 4 and the Athlon 64 has SSE2.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
