#pragma once
// SIGTERM, SIGINT and SIGHUP end a mode cleanly: the handler only records the request and wakes
// whoever waits on Fd(); the mode then unwinds and removes its files.
namespace ky {

void InstallTerminationHandlers();
bool TerminationRequested();
// Readable once a termination was requested (for poll and for Qt's socket notifier).
int TerminationFd();

}  // namespace ky
