// Ctrl-C and termination during a capture: noted, so that the run stops between
// frames and removes what it had not finished.
#pragma once

// SIGINT and SIGTERM set the flag; SIGPIPE is ignored so a dead encoder shows as
// a write error instead of ending the process.
void install_interruption_handlers();
bool interrupted();
