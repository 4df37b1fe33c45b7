// The one place a thread is started: a worker's, which nothing ever waits for by its handle.
#pragma once

#include <cstddef>
#include <functional>

namespace tickra {

// The address space a worker's stack reserves: its jobs are a transfer, a picture's decoding or a
// formula, none of them deep.
inline constexpr size_t kWorkerStackBytes = size_t{256} << 10;

// Runs body on a new thread whose stack reserves stack_bytes (0: the program's default); false,
// and body not run, when no thread could be made.
bool StartDetachedThread(std::function<void()> body, size_t stack_bytes);

}  // namespace tickra
