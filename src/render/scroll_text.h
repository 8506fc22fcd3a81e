// The scroller's one line of text: greetings, the invitation and a few jokes.
#pragma once

// Zero-terminated, without line breaks, made only of characters the scroller font
// draws (letters, digits, space and ! ( ) * , . : ?).
extern const char scroll_text[];
