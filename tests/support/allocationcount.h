// Counts the allocations a test program makes, through every replaceable global operator new, on
// any thread, the modules it loads included (they take the program's allocator). The replacement
// lives in allocationcount.cpp, so only programs of their own link it: memory checkers that replace
// the allocator themselves skip those programs.
#pragma once

// Starts counting from zero.
void startCountingAllocations();
// Stops counting; the allocations made since the start.
long stopCountingAllocations();
