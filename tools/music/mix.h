// The mix: how loud each part plays. The song writes each note's volume as the
// part's own dynamics (accents, soft hits, fades); every channel's level then
// scales those volumes into the module, as a tracker musician balances the
// parts through the volumes of their notes.
#pragma once

namespace song {

// The volume (0..64) a note gets that the song writes at `volume` on `channel`.
// Throws std::logic_error when the level would take it past 64.
int mixed_volume(int channel, int volume);
// A volume change (a fade) on `channel` at its level.
int mixed_change(int channel, int change);

}  // namespace song
