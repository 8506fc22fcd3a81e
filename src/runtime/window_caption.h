// The show's window title, which the launch dialog carries as well. A plain
// macro, so that the Windows resource compiler reads it too.
#pragma once

#define INVITATION_WINDOW_CAPTION "Tavrin Demo Engine"
