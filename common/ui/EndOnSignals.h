// A logout (SIGTERM, SIGHUP) or Ctrl+C (SIGINT) ends a program as its own 終了 does: the
// event loops return, main returns and every destructor runs, at any moment, also while a
// modal box is open.
#pragma once

namespace v42 {

// Call once in main, before anything else (the sound library) could claim the signals. The
// event loops end with 128 + the signal's number, the exit code a shell expects.
void EndOnSignals();

// True once a signal has asked the program to end: a box it closed was not answered by the
// user, so nothing may be thrown away on its answer.
bool EndingOnSignal();

}  // namespace v42
