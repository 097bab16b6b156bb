#pragma once

namespace rastix {

// Has a run that is stopped (SIGINT, SIGTERM, SIGHUP; on Windows Ctrl-C, Ctrl-Break or its
// console closed) finish the commit in progress and remove the hidden files it made (see
// stagingsection.h) before it ends as the signal would have ended it (status 130 for SIGINT and
// 143 for SIGTERM in a shell). A signal the program was started ignoring stays ignored (nohup,
// a background job). Call first in main, before any thread is started: on POSIX systems the
// signals are blocked in every thread and taken by one thread of their own.
void cleanUpWhenStopped();

} // namespace rastix
