#pragma once
// What the program sets up for itself before its window exists.

// A window started from a pipe (korvalset24 | head) must not be killed when
// the reader goes away while a Save echoes the HEX lines: a write to a closed
// pipe then fails instead of raising SIGPIPE.
void ignoreClosedOutput();
