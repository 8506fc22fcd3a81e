// The title of the show's window and of its launch dialog. A macro as well, for
// the Windows resource compiler, which reads this header (RC_INVOKED) too.
#pragma once

#define INVITATION_WINDOW_CAPTION "Tavrin Demo Engine"

#ifndef RC_INVOKED
constexpr const char* window_caption = INVITATION_WINDOW_CAPTION;
#endif
