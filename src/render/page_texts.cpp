// The texts of the ten pages: who invites whom, to what, when and where, what the
// party offers, and who made the show. Lines are centred by hand with spaces.
#include "render/page_texts.h"

namespace {

const char page_makers_and_guests[] =
    "     Polar     \n"
    "    Static    \n"
    "\n"
    "      and\n"
    "\n"
    "    Norvale    \n"
    "     2008";

const char page_occasion[] =
    "\n"
    "\n"
    "      for\n"
    "\n"
    "Brinewave 2007\n";

const char page_title[] =
    " \n"
    "    Norvale    \n"
    "     2008      \n"
    " \n"
    "    Oldskool\n"
    "   Invitation \n"
    "     Intro \n"
    " \n"
    "\n"
    "                     \n"
    "                     \n";

const char page_when_and_where[] =
    "     from     \n"
    "  17-19 October    \n"
    "     \n"
    "      In      \n"
    "   Vellmora /\n"
    "   Quarndocks        \n"
    "     \n"
    "    Kaldmark         \n"
    "     \n"
    "                     \n";

const char page_capacity[] =
    "The final party\n"
    " of the year\n"
    "\n"
    "with space for\n"
    " up to 250 ppl\n"
    "in a friendly\n"
    "   and cozy \n"
    "  atmosphere\n"
    "\n"
    "\n"
    "\n";

const char page_equipment[] =
    "\n"
    "big big screen\n"
    "and loud audio\n"
    "setup combined\n"
    "with a sweeeeet\n"
    "party network\n"
    "\n"
    "\n"
    "\n"
    "\n";

const char page_catering[] =
    "\n"
    "  food support\n"
    " with free tea\n"
    "  and coffee.\n"
    " featuring the\n"
    "ultimate  pizza\n"
    "     waves\n"
    "\n"
    "\n"
    "\n";

const char page_competitions[] =
    " competitions:\n"
    "4k, 64k, 4k exe\n"
    "gfx, oldskool,\n"
    "  game, wild, \n"
    "     demo \n"
    "\n"
    " and many more \n"
    "     ....\n"
    "\n"
    "\n";

// The address without its dots: host prefix, site name, top-level domain.
const char page_web_site[] =
    "\n"
    " website soon\n"
    "       at\n"
    " \n"
    "     www\n"
    "  norvaleparty\n"
    "     net\n"
    "\n"
    "\n"
    "\n";

// Role word on the first line of each group, handles right-aligned at column 15.
const char page_credits[] =
    "\n"
    "code     Zeppik\n"
    "gfx       Kelsh\n"
    "         Umbrak\n"
    "sfx     Drivvel\n"
    "txt      Tollan\n"
    "         Nurrow\n"
    "        Saffrel\n"
    "         Gorrim\n"
    "\n"
    "\n";

}  // namespace

const TextPage page_schedule[page_count] = {
    {page_makers_and_guests, 16.0f}, {page_occasion, 36.0f},   {page_title, 56.0f},     {page_when_and_where, 76.0f},
    {page_capacity, 96.0f},          {page_equipment, 116.0f}, {page_catering, 136.0f}, {page_competitions, 156.0f},
    {page_web_site, 176.0f},         {page_credits, 196.0f},
};
