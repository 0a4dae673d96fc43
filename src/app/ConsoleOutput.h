#pragma once

// Where the program's few lines for a terminal (--version) go. A Windows
// program with windows gets no console of its own: started from a console
// window, it writes into that one; with its output redirected, into the
// file or pipe. On Linux the standard output is always there.
namespace ConsoleOutput {

void Attach();

} // namespace ConsoleOutput
