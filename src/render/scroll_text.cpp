// The scroller's text. One line; its length decides when the bar runs empty
// (16 + length * 48 / 128 beats).
#include "render/scroll_text.h"

const char scroll_text[] =
    "Hello and welcome to the official invitation for Norvale 2008! "
    "Polar Static proudly invites every coder, musician, pixel artist and curious bystander "
    "to four days of demos, tracked music, pixel graphics and far too much coffee, "
    "held in the old ferry hall down by the harbour of Norvale. "
    "Bring your computer, your sleeping bag, your best production and a spare power strip: "
    "there are competitions for demos, intros, tracked music, pixel graphics, photos and wild entries, "
    "and the prizes are real this time (we counted them twice). "
    "The big screen is bigger, the sound system is louder and the network cables are still orange. "
    "Joke corner: how many sceners does it take to change a light bulb? "
    "None, they lower the gamma and call it atmosphere. "
    "Why did the coder leave the party so early? He ran out of cache. "
    "Our musician says this tune uses only four channels because the other four went to the sauna. "
    "Fact: every scroller is exactly one letter too long. "
    "Greetings fly out to Lumen Drift, Copper Owls, Static Orchard, Kelp Fortress, Quiet Vector, "
    "Hexagon Farmers, the Sunday Coders, Velvet Raster, Crumbling Sprites, Tundra Logic, "
    "Moss and Magnet, Paper Satellites, Glass Harbour, Pocket Thunder and the Rusty Palette crew. "
    "Special hugs to the Night Bakery for lending us a tracker at three in the morning. "
    "Remember: pixels before breakfast, compos before sleep, and never trust a deadline. "
    "Code by Frost, graphics by Pell and Ivo, music by Drummel. "
    "Norvale 2008 ... see you there, and do not forget the spare batteries for your alarm clock! "
    "Signed: Polar Static. * * * "
    "Wrapping up ... wrapping up ... really wrapping up now ... bye!";
