#pragma once

#include <string>
#include <vector>

// What the command-line tool needs from the operating system, kept apart so
// that the rest of it builds the same on Linux and Windows.
namespace CliOs {

// UTF-8 output on the console (Windows code pages); nothing on Linux.
void PrepareConsole();

// Ctrl-C and SIGTERM (Ctrl-Break, console close on Windows) only set a flag
// and wake a waiting thread; no engine work ever happens in the handler.
void InstallInterruptHandlers();
bool Interrupted();
// For the tests of the tool's own loops.
void ResetInterrupted();

// Waits until the engineer presses Enter or an interrupt arrives, or
// `timeoutMs` passes (negative: no limit). Returns true on Enter. When the
// standard input ends (a script with no terminal), only an interrupt ends
// the wait.
bool WaitForEnterOrInterrupt(int timeoutMs);

bool StderrIsTerminal();

// The desktop tool's stored settings: section "Connection" keys ModbusPort,
// HartPort, MgPort, MgCount and section "Words" keys Wr, St. Returns the
// value, or empty when the key is not stored.
std::string StoredSetting(const std::string& section, const std::string& key);
// Where the store lives, for messages.
std::string SettingsLocation();

// Serial ports present on this machine (device paths or COM names).
std::vector<std::string> SerialPortsFound();

// Reads a file whole; false when it cannot be read.
bool ReadWholeFile(const std::string& utf8Path, std::string& out);
// Creates the folder (and its parents); true when it exists afterwards.
bool MakeFolder(const std::string& utf8Path);

} // namespace CliOs
