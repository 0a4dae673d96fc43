#pragma once

// `korvan`: the engine from a terminal. Returns the process exit code.
namespace KorvanCli {

// Exit codes, as documented for scripts.
inline constexpr int kExitDone = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitPort = 2;       // port missing, busy or not permitted
inline constexpr int kExitSilent = 3;     // device silent
inline constexpr int kExitRefused = 4;    // wrong password, error answer
inline constexpr int kExitFile = 5;       // file not written
inline constexpr int kExitInterrupted = 130;

int Run(int argc, char** argv);

} // namespace KorvanCli
