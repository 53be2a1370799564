#pragma once

#include <cstdint>
#include <string>

namespace dezadav::routersim {

// Milliseconds on the steady clock: the emulator's time for timed answers and added calls.
int64_t NowMs();

// Writes all of `bytes` to `fd`, again after an interrupted write. False when the descriptor refuses.
bool WriteAll(int fd, const std::string& bytes);

}  // namespace dezadav::routersim
