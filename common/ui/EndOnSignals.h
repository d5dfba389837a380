// A logout (SIGTERM, SIGHUP) or Ctrl+C (SIGINT) ends a program as its own 終了 does: the
// event loops return, main returns and every destructor runs, at any moment, also while a
// modal box is open.
#pragma once

namespace v42 {

// Call once in main, before anything else (the sound library) could claim the signals. The
// event loops end with 128 + the signal's number, the exit code a shell expects.
void EndOnSignals();

}  // namespace v42
