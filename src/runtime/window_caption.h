// The title of the show's window and of its launch dialog.
#pragma once

constexpr const char* window_caption = "Tavrin Demo Engine";
