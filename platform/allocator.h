// Memory: tuning of the C library's allocator for the show's drawing, applied once at process
// start; and whether the process may hold blocks of a size at all.
#pragma once

#include <cstddef>
#include <string>

// Call first thing in main (and when the offscreen renderer opens), before any GL work.
void tuneAllocatorForDrawing();

// Whether the process may hold `count` blocks of `bytes` each at once, within the memory it may
// use (ulimit -v). Reserved without access or backing and given back, so the try costs nothing.
bool mayHoldBlocks(std::size_t bytes, int count);

// The system's part of that try: address space of `bytes` reserved without access or backing
// (null when the process may not have it), and given back.
void* reserveAddressSpace(std::size_t bytes);
void releaseAddressSpace(void* block, std::size_t bytes);

// Hands the freed memory the tuning keeps back to the system: for after a very large drawing
// surface is left (its buffers, hundreds of megabytes, would otherwise stay resident).
void releaseFreedMemory();

// The room in the address space that the OpenGL renderer takes when its context is made and the
// first drawing compiled (Mesa's software renderer: its driver, the LLVM compiler and its
// threads): the show needs about 266 MiB beyond what it holds before, measured on x86-64 with
// Mesa 22.3, of which this asks a little less, so that a limit that leaves enough is never
// refused. A limit within the few MiB between still fails in Mesa's own words.
constexpr std::size_t rendererAddressSpace = std::size_t(264) << 20;

// The address-space limit (ulimit -v) in KiB, or 0 when there is none.
unsigned long long addressSpaceLimitKiB();

// Whether the renderer may still be loaded within the address-space limit: true without a
// limit, or with room for rendererAddressSpace and `beyond` bytes more (what the program itself
// needs besides). Else `reason` names the limit, in one line for a program's own message.
bool addressSpaceHoldsRenderer(std::size_t beyond, std::string& reason);
