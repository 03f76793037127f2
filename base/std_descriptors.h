// The three standard descriptors at a program's start. A program started with one of them
// closed (a service manager, a script's ">&-") would hand that number to the next file,
// port or socket it opens, and its own texts would then go there: into a board, say.
#pragma once

namespace k470 {

// Opens each of standard input, output and error that is closed on the null device, so
// that nothing opened later can take its number. Called first thing in main.
void OpenClosedStdDescriptors();

}  // namespace k470
