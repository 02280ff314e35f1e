#pragma once
#include <cstddef>
#include <functional>

// Fault injection for atomic writes, at link level: test programs link with
// write() and rename() wrapped, so the program code carries no hook.
//
// The hook is called with the offset and length of each piece about to be
// written to an atomic write's temporary file; returning false makes that
// write fail like a full disk. A last call with (size, 0) comes just before
// the rename; returning false then stands for an interruption at that point.
using WriteFaultHook = std::function<bool(size_t offset, size_t length)>;
void SetWriteFaultHook(WriteFaultHook hook);
