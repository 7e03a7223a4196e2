# What both mingw-w64 toolchains share; each sets CMAKE_SYSTEM_PROCESSOR and
# HVDETECTOR_MINGW_TRIPLE before including this.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${HVDETECTOR_MINGW_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${HVDETECTOR_MINGW_TRIPLE}-g++)
set(CMAKE_RC_COMPILER ${HVDETECTOR_MINGW_TRIPLE}-windres)
set(HVDETECTOR_WIDL ${HVDETECTOR_MINGW_TRIPLE}-widl)
set(CMAKE_FIND_ROOT_PATH /usr/${HVDETECTOR_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# No hot/cold splitting: an empty cold part leaves a zero-length unwind entry beside another
# function's, and the 32-bit DWARF unwinder's lookup can then miss the frame that catches, so a
# C++ exception caught inside a COM method would end the host instead.
set(CMAKE_C_FLAGS_INIT "-fno-reorder-blocks-and-partition")
set(CMAKE_CXX_FLAGS_INIT "-fno-reorder-blocks-and-partition")
