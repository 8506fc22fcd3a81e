// Stand-in launch dialog until the real one lands: the show starts with the
// settings it has.
#include "runtime/launch_dialog.h"

bool run_launch_dialog() { return true; }
