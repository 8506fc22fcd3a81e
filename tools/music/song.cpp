// The song, order by order, in A minor at 120 bpm. Themes: A (Am F C G / Am F G E),
// counter-theme B (F G Em Am / F G E E), interlude C (Dm Am Dm E / F C Dm E).
// Shape: a calm pad opening, drums and bass from order 2, theme and counter-theme,
// a breakdown at order 10 (where the skip key lands), a build-up, a lift up a
// whole tone at orders 13-16 while the closing picture fades in, the interlude,
// a second breakdown and build, the final statement, and an outro that thins out
// to the pad so the loop back to order 0 is seamless.
#include "song.h"

#include <functional>
#include <map>
#include <stdexcept>
#include <string>

#include "instruments.h"
#include "tracks.h"

namespace song {

namespace {

// --- material ---------------------------------------------------------------

const char* const theme_a1 =
    "A4:2 C5:2 E5:2 A5:4 G5:2 E5:2 D5:2 | C5:3 A4:3 C5:2 F5:4 E5:2 C5:2 | "
    "E5:2 G5:2 E5:2 C5:4 D5:2 E5:2 G5:2 | D5:6~ B4:2 G4:4 A4:2 B4:2";
const char* const theme_a2 =
    "A4:2 C5:2 E5:2 A5:4 B5:2 C6:2 B5:2 | A5:6~ F5:2 C5:4 F5:2 G5:2 | "
    "G5:3 F5:3 D5:2 B4:4 D5:2 F5:2 | E5:10~ D5:2 C5:2 B4:2";
const char* const theme_b1 = "C5:4 F5:4 A5:6~ G5:2 | G5:4 D5:4 B5:6~ A5:2 | G5:4 E5:4 B4:4 E5:2 G5:2 | A5:12~ -:4";
const char* const theme_b2_head =
    "C6:4 A5:4 F5:4 A5:2 C6:2 | D6:4 B5:4 G5:4 B5:2 D6:2 | E6:4 B5:2 G#5:2 E5:4 G#5:2 B5:2";
const char* const theme_b2_tail = "B5:8~ A5:2 G#5:2 E5:2 D5:2";
const char* const theme_c1 =
    "F5:4 E5:2 D5:2 A5:6~ F5:2 | E5:4 C5:2 A4:2 E5:6~ C5:2 | D5:2 E5:2 F5:2 A5:2 D6:6~ C6:2 | B5:4 G#5:4 E5:8~";
const char* const theme_c2 =
    "A5:4 G5:2 F5:2 C6:6~ A5:2 | G5:4 E5:2 C5:2 G5:6~ E5:2 | F5:2 E5:2 D5:2 F5:2 A5:4 D6:4 | E6:4 D6:2 C6:2 B5:4 G#5:4";
const char* const breakdown_line = "C5:8 F5:4> A5:4 | G5:8 D5:4> B5:4 | C6:8 B5:4 A5:4~ | A5:12~ -:4";

const auto chords_a1 = parse_chords("Am F C G");
const auto chords_a2 = parse_chords("Am F G E");
const auto chords_b1 = parse_chords("F G Em Am");
const auto chords_b2 = parse_chords("F G E E");
const auto chords_c1 = parse_chords("Dm Am Dm E");
const auto chords_c2 = parse_chords("F C Dm E");
constexpr int lift = 2;  // orders 13-16 move up a whole tone

// Drum and bass lines, one bar each (16th notes unless 32 characters).
const char* const four_floor = "x...x...x...x...";
const char* const half_time = "x.......x.......";
const char* const backbeat = "....x.......x...";
const char* const fill_16 = "....x.......x.67";
const char* const fill_32 = "........x...............4567899x";
const char* const hats_offbeat = "..x...x...x...x.";
const char* const hats_16 = "46.646.646.646.6";
const char* const hats_16_full = "46x646x646x646x6";
const char* const open_offbeat = "..x...x...x...x.";
const char* const bass_offbeat = "..r...r...r...r.";
const char* const bass_octave = "r.R.r.R.r.R.r.R.";
const char* const bass_gallop = "r.rRr.rRr.rRr.rR";
const char* const bass_syncop = "r..r..r.R..r..r.";
const char* const bass_held = "r...............";
const char* const bass_pump = "r.r.r.r.r.r.r.r.";
const char* const stab_offbeat = "..o...o...o...o.";
const char* const stab_sync = "x..x..x...x..x..";
const char* const stab_eighths = "o.x.o.x.o.x.o.x.";
const char* const pluck_slow = "0...2...3...2...";
const char* const pluck_flow = "0123432101234321";
const char* const pluck_wide = "0.2.3.5.4.3.2.1.";

// --- section helpers -----------------------------------------------------------

// Kick, snare and hats of a full groove on every bar; the last bar gets `last_snare`.
void full_drums(const Section& s, const char* hats, const char* last_snare = backbeat) {
    drums(s, 0, 3, ch_kick, ins_kick, four_floor);
    drums(s, 0, 2, ch_snare, ins_snare, backbeat);
    drums(s, 3, ch_snare, ins_snare, last_snare);
    drums(s, 0, 3, ch_hat, ins_closed_hat, hats);
}

void crash_at(const Section& s, int unit, int volume) { hit(s, unit, ch_fx, ins_crash, 49, volume); }

// A full statement of a theme: drums, bass, stabs, pad, lead.
void statement(const Section& s, const std::vector<Chord>& chords, const std::string& tune, const char* bass_line,
               const char* snare_end, bool crash_first, bool with_choir) {
    full_drums(s, hats_16, snare_end);
    if (crash_first) crash_at(s, 0, 44);
    bass(s, chords, bass_line);
    stabs(s, chords, stab_sync, 30);
    pad(s, chords, 22, false);
    if (with_choir) choir(s, chords, 26);
    melody(s, ch_lead, ins_lead, tune, 46);
}

// --- the patterns, in song order --------------------------------------------------

// Order 0: the pad swells in under slow bell notes while the particles rise.
void opening(const Section& s) {
    pad(s, chords_a1, 30);
    pluck_arp(s, chords_a1, pluck_slow, 30);
    choir(s.from_bar(2), {chords_a1[2], chords_a1[3]}, 16);
    fade(s, ch_choir, 2 * units_per_bar + 2, 3 * units_per_bar, 14);
}

// Order 1: flowing arpeggios, a rising sweep and a snare build into the drums.
void opening_build(const Section& s) {
    pad(s, chords_a1, 34, false);
    choir(s, chords_a1, 30, 57);
    pluck_arp(s, chords_a1, pluck_flow, 30);
    hit(s, 2 * units_per_bar, ch_fx, ins_sweep, 37, 36);  // C-3: two bars long
    drums(s, 3, ch_snare, ins_snare, "2.2.3.3.4.5.6789");
}

// Order 2: drums and bass come in.
void groove_in(const Section& s) {
    crash_at(s, 0, 48);
    drums(s, 0, 3, ch_kick, ins_kick, four_floor);
    drums(s, 0, 3, ch_hat, ins_closed_hat, hats_offbeat);
    bass(s, chords_a1, bass_offbeat);
    pad(s, chords_a1, 30, false);
    pluck_arp(s, chords_a1, pluck_wide, 26);
}

// Order 3: snare, 16th hats and chord stabs join.
void groove_full(const Section& s) {
    full_drums(s, hats_16, fill_16);
    bass(s, chords_a1, bass_octave);
    stabs(s, chords_a1, stab_offbeat, 34);
    pad(s, chords_a1, 28, false);
    pluck_arp(s, chords_a1, pluck_wide, 22);
}

void theme_a_first(const Section& s) { statement(s, chords_a1, theme_a1, bass_octave, backbeat, true, false); }
void theme_a_answer(const Section& s) { statement(s, chords_a2, theme_a2, bass_octave, fill_16, false, false); }

// Orders 6-7: the counter-theme, galloping bass, open hats, choir.
void counter_theme(const Section& s) {
    drums(s, 0, 3, ch_kick, ins_kick, four_floor);
    drums(s, 0, 3, ch_snare, ins_snare, backbeat);
    drums(s, 0, 3, ch_hat, ins_closed_hat, hats_16);
    bass(s, chords_b1, bass_gallop);
    stabs(s, chords_b1, stab_eighths, 24);
    pad(s, chords_b1, 26, false);
    choir(s, chords_b1, 28);
    melody(s, ch_lead, ins_lead, theme_b1, 46);
}

void counter_theme_end(const Section& s) {
    drums(s, 0, 3, ch_kick, ins_kick, four_floor);
    drums(s, 0, 2, ch_snare, ins_snare, backbeat);
    drums(s, 3, ch_snare, ins_snare, fill_32);
    drums(s, 0, 3, ch_hat, ins_closed_hat, hats_16);
    bass(s, chords_b2, bass_gallop);
    stabs(s, chords_b2, stab_eighths, 24);
    pad(s, chords_b2, 26, false);
    choir(s, chords_b2, 28);
    melody(s, ch_lead, ins_lead, std::string(theme_b2_head) + " | " + theme_b2_tail, 46);
    hit(s, 3 * units_per_bar, ch_fx, ins_sweep, 49, 30);
}

// Orders 8-9: theme A again with open hats and pluck arpeggios; order 9 stops
// the drums on the last two beats before the breakdown.
void theme_a_again(const Section& s) {
    statement(s, chords_a1, theme_a1, bass_gallop, backbeat, true, true);
    drums(s, 0, 3, ch_hat, ins_open_hat, open_offbeat);
    pluck_arp(s, chords_a1, pluck_flow, 20);
}

void theme_a_again_answer(const Section& s) {
    drums(s, 0, 2, ch_kick, ins_kick, four_floor);
    drums(s, 3, ch_kick, ins_kick, "x...x...........");
    drums(s, 0, 2, ch_snare, ins_snare, backbeat);
    drums(s, 3, ch_snare, ins_snare, "....x...x.x.xxxx");
    drums(s, 0, 2, ch_hat, ins_closed_hat, hats_16);
    drums(s, 3, ch_hat, ins_closed_hat, "35.535.5........");
    bass(s, chords_a2, bass_gallop);
    stabs(s, chords_a2, stab_sync, 30);
    pad(s, chords_a2, 26, false);
    choir(s, chords_a2, 26);
    pluck_arp(s, chords_a2, pluck_flow, 20);
    melody(s, ch_lead, ins_lead, theme_a2, 46);
}

// Order 10 (the skip key's target): a half-time breakdown, pluck carries theme A.
void breakdown(const Section& s) {
    drums(s, 0, 3, ch_kick, ins_kick, half_time);
    crash_at(s, 0, 36);
    bass(s, chords_a1, bass_held);
    pad(s, chords_a1, 36);
    choir(s, chords_a1, 30);
    melody(s, ch_pluck, ins_pluck, theme_a1, 44);
}

// Order 11: the lead sings the counter-theme softly; hats creep in.
void breakdown_lead(const Section& s) {
    drums(s, 0, 3, ch_kick, ins_kick, half_time);
    drums(s, 2, 3, ch_hat, ins_closed_hat, hats_offbeat);
    bass(s, chords_b1, bass_held);
    pad(s, chords_b1, 36, false);
    choir(s, chords_b1, 30);
    melody(s, ch_lead, ins_lead, theme_b1, 36);
    pluck_arp(s, chords_b1, pluck_slow, 22);
}

// Order 12: the build-up: snare from quarters to 32nds, pumping bass, the sweep.
void build_up(const Section& s, const std::vector<Chord>& chords) {
    drums(s, 0, 2, ch_kick, ins_kick, four_floor);
    drums(s, 3, ch_kick, ins_kick, "x.x.x.x.x.x.x...");
    drums(s, 0, ch_snare, ins_snare, "4...4...5...5...");
    drums(s, 1, ch_snare, ins_snare, "5.5.5.5.6.6.6.6.");
    drums(s, 2, ch_snare, ins_snare, "6666666677777777");
    drums(s, 3, ch_snare, ins_snare, "77777777888888888888999999xxxx..");
    drums(s, 0, 3, ch_hat, ins_closed_hat, hats_offbeat);
    bass(s, chords, bass_pump);
    stabs(s, chords, "3.3.4.4.5.5.6.6.", 40);
    pad(s, chords, 30, false);
    choir(s, chords, 30);
    hit(s, 2 * units_per_bar, ch_fx, ins_sweep, 37, 44);  // C-3: two bars long
    // The sweep bends up four semitones through the last bar and runs out just
    // before the drop.
    for (int unit = 3 * units_per_bar; unit < 4 * units_per_bar; ++unit) s.effect(unit, ch_fx, xm::fx_porta_up, 0x01);
}

// Orders 13-16: the lift, a whole tone up, with choir and the pluck doubling the lead.
void lifted(const Section& s, const std::vector<Chord>& chords, const std::string& tune, const char* snare_end,
            bool crash_first) {
    const Section up = s.transposed(lift);
    const auto raised = transpose(chords, lift);
    statement(up, raised, tune, bass_octave, snare_end, crash_first, true);
    drums(up, 0, 3, ch_hat, ins_open_hat, open_offbeat);
    melody(up.transposed(-12), ch_pluck, ins_pluck, tune, 30);
}

// Order 16 leaves the lift through E major, the dominant of A minor.
void lifted_exit(const Section& s) {
    const Section up = s.transposed(lift);
    const auto chords = std::vector<Chord>{transpose(chords_b2, lift)[0], transpose(chords_b2, lift)[1],
                                           transpose(chords_b2, lift)[2], chords_b2[3]};
    full_drums(s, hats_16, fill_32);
    bass(s, chords, bass_octave);
    stabs(s, chords, stab_sync, 30);
    pad(s, chords, 26, false);
    choir(s, chords, 26);
    melody(up, ch_lead, ins_lead, theme_b2_head, 46);
    melody(up.transposed(-12), ch_pluck, ins_pluck, theme_b2_head, 30);
    melody(s.from_bar(3), ch_lead, ins_lead, theme_b2_tail, 46);
    hit(s, 3 * units_per_bar, ch_fx, ins_sweep, 49, 30);
}

// Orders 17-18: the interlude, back in A minor; syncopated bass, no snare at first.
void interlude(const Section& s) {
    drums(s, 0, 3, ch_kick, ins_kick, four_floor);
    drums(s, 0, 3, ch_hat, ins_closed_hat, hats_16_full);
    bass(s, chords_c1, bass_syncop);
    pad(s, chords_c1, 30, false);
    pluck_arp(s, chords_c1, pluck_flow, 24);
    melody(s, ch_lead, ins_lead, theme_c1, 44);
}

void interlude_answer(const Section& s) {
    full_drums(s, hats_16_full, fill_16);
    bass(s, chords_c2, bass_syncop);
    stabs(s, chords_c2, stab_offbeat, 30);
    pad(s, chords_c2, 30, false);
    choir(s, chords_c2, 24);
    pluck_arp(s, chords_c2, pluck_flow, 22);
    melody(s, ch_lead, ins_lead, theme_c2, 44);
}

// Orders 19-20: theme A with a dotted-eighth echo on the pluck.
void echoed_theme(const Section& s, const std::vector<Chord>& chords, const std::string& tune, const char* snare_end) {
    full_drums(s, hats_16, snare_end);
    drums(s, 0, 3, ch_hat, ins_open_hat, open_offbeat);
    bass(s, chords, bass_gallop);
    pad(s, chords, 26, false);
    stabs(s, chords, stab_offbeat, 26);
    melody(s, ch_lead, ins_lead, tune, 46);
    melody(s, ch_pluck, ins_pluck, tune, 26, 3 * units_per_step, true);
}

// Order 21: the second breakdown: hats, pad, choir, a gliding lead.
void second_breakdown(const Section& s) {
    const auto chords = parse_chords("F G Am Am");
    crash_at(s, 0, 36);
    drums(s, 0, 3, ch_hat, ins_closed_hat, hats_16);
    bass(s, chords, bass_held);
    pad(s, chords, 36, false);
    choir(s, chords, 32);
    melody(s, ch_lead, ins_lead, breakdown_line, 40);
    pluck_arp(s, chords, pluck_slow, 22);
}

// Orders 23-27: the final statement with everything.
void final_theme(const Section& s, const std::vector<Chord>& chords, const std::string& tune, const char* snare_end,
                 bool crash_first) {
    statement(s, chords, tune, bass_gallop, snare_end, crash_first, true);
    drums(s, 0, 3, ch_hat, ins_open_hat, open_offbeat);
    melody(s.transposed(-12), ch_pluck, ins_pluck, tune, 28);
}

// Order 26, played twice: ends on E, which leads into itself (to F) and home.
void final_hook(const Section& s) {
    full_drums(s, hats_16, fill_16);
    drums(s, 0, 3, ch_hat, ins_open_hat, open_offbeat);
    bass(s, chords_b2, bass_gallop);
    stabs(s, chords_b2, stab_sync, 30);
    pad(s, chords_b2, 26, false);
    choir(s, chords_b2, 26);
    const std::string tune = std::string(theme_b2_head) + " | " + theme_b2_tail;
    melody(s, ch_lead, ins_lead, tune, 46);
    melody(s.transposed(-12), ch_pluck, ins_pluck, tune, 28);
}

// Orders 28-32: the outro thins out to the pad of the opening.
void outro_theme(const Section& s) {
    crash_at(s, 0, 40);
    drums(s, 0, 3, ch_kick, ins_kick, four_floor);
    drums(s, 0, 3, ch_hat, ins_closed_hat, hats_16);
    bass(s, chords_a1, bass_octave);
    stabs(s, chords_a1, stab_offbeat, 26);
    pad(s, chords_a1, 30, false);
    melody(s, ch_pluck, ins_pluck, theme_a1, 40);
}

void outro_fading_drums(const Section& s) {
    drums(s, 0, 1, ch_kick, ins_kick, four_floor);
    drums(s, 2, ch_kick, ins_kick, "x.......x.......");
    drums(s, 0, ch_hat, ins_closed_hat, "35.535.535.535.5");
    drums(s, 1, ch_hat, ins_closed_hat, "24.424.424.424.4");
    drums(s, 2, ch_hat, ins_closed_hat, "..3...3...3...3.");
    bass(s, chords_a1, bass_held);
    pad(s, chords_a1, 32, false);
    choir(s, chords_a1, 26);
    pluck_arp(s, chords_a1, pluck_flow, 26);
}

void outro_pads(const Section& s) {
    bass(s, chords_a1, bass_held);
    pad(s, chords_a1, 32, false);
    choir(s, chords_a1, 26);
    pluck_arp(s, chords_a1, pluck_flow, 24);
}

void outro_bells(const Section& s) {
    pad(s, chords_a1, 30, false);
    choir(s, {chords_a1[0], chords_a1[1], chords_a1[2]}, 22);
    fade(s, ch_choir, 2 * units_per_bar + 4, 3 * units_per_bar, -20);
    key_off(s, ch_choir, 3 * units_per_bar);
    pluck_arp(s, chords_a1, pluck_wide, 22);
}

// Order 32: the pad swells once more, then fades towards the level at which
// order 0 starts it again.
void closing(const Section& s) {
    pad(s, chords_a1, 30);
    fade(s, ch_pad, 2 * units_per_bar + 4, 4 * units_per_bar - units_per_beat, -16);
    pluck_arp(s, chords_a1, pluck_slow, 18);
}

struct PatternPlan {
    int rows;
    int speed;  // set on the first row, 0 for none
    int tempo;  // set on the first row, 0 for none
    std::function<void(const Section&)> fill;
};

std::map<int, PatternPlan> plans() {
    using S = const Section&;
    return {
        {4, {opening_rows, opening_speed, tempo, opening}},
        {5, {opening_rows, opening_speed, 0, opening_build}},
        {6, {main_rows, main_speed, 0, groove_in}},
        {7, {main_rows, main_speed, 0, groove_full}},
        {8, {main_rows, main_speed, 0, theme_a_first}},
        {0, {main_rows, main_speed, 0, theme_a_answer}},
        {1, {main_rows, 0, 0, counter_theme}},
        {2, {main_rows, 0, 0, counter_theme_end}},
        {3, {main_rows, 0, 0, theme_a_again}},
        {9, {main_rows, 0, 0, theme_a_again_answer}},
        {10, {main_rows, main_speed, tempo, breakdown}},
        {11, {main_rows, 0, 0, breakdown_lead}},
        {12, {main_rows, 0, 0, [](S s) { build_up(s, parse_chords("F F G G")); }}},
        {13, {main_rows, 0, 0, [](S s) { lifted(s, chords_a1, theme_a1, backbeat, true); }}},
        {14, {main_rows, 0, 0, [](S s) { lifted(s, chords_a2, theme_a2, fill_16, false); }}},
        {15, {main_rows, 0, 0, [](S s) { lifted(s, chords_b1, theme_b1, backbeat, false); }}},
        {16, {main_rows, 0, 0, lifted_exit}},
        {17, {main_rows, 0, 0, interlude}},
        {18, {main_rows, main_speed, 0, interlude_answer}},
        {19, {main_rows, 0, 0, [](S s) { echoed_theme(s, chords_a1, theme_a1, backbeat); }}},
        {20, {main_rows, 0, 0, [](S s) { echoed_theme(s, chords_a2, theme_a2, fill_16); }}},
        {21, {main_rows, 0, 0, second_breakdown}},
        {22, {main_rows, 0, 0, [](S s) { build_up(s, parse_chords("Dm Dm E E")); }}},
        {23, {main_rows, 0, 0, [](S s) { final_theme(s, chords_a1, theme_a1, backbeat, true); }}},
        {24, {main_rows, 0, 0, [](S s) { final_theme(s, chords_a2, theme_a2, fill_16, false); }}},
        {25, {main_rows, 0, 0, [](S s) { final_theme(s, chords_b1, theme_b1, backbeat, false); }}},
        {26, {main_rows, 0, 0, final_hook}},
        {27, {main_rows, 0, 0, outro_theme}},
        {28, {main_rows, 0, 0, outro_fading_drums}},
        {29, {main_rows, 0, 0, outro_pads}},
        {30, {main_rows, 0, 0, outro_bells}},
        {31, {main_rows, 0, 0, closing}},
    };
}

// Pads, choir, bass and lead sustain until something ends them. When an order
// leaves such a channel out while the order before it (in song order, the last
// one wrapping to the first) left a note sounding, that order starts with a
// key-off, so no note drones on into a section that does not use it.
bool sounding_at_end(const xm::Pattern& p, int channel) {
    for (int row = p.rows - 1; row >= 0; --row) {
        const int note = p.at(row, channel).note;
        if (note) return note != xm::note_key_off;
    }
    return false;
}

bool has_notes(const xm::Pattern& p, int channel) {
    for (int row = 0; row < p.rows; ++row) {
        if (p.at(row, channel).note) return true;
    }
    return false;
}

void release_idle_channels(xm::Module& m) {
    const std::size_t n = m.orders.size();
    for (int channel : {ch_bass, ch_lead, ch_pad, ch_choir}) {
        for (std::size_t pos = 0; pos < n; ++pos) {
            const xm::Pattern& before = m.patterns[m.orders[(pos + n - 1) % n]];
            xm::Pattern& p = m.patterns[m.orders[pos]];
            if (sounding_at_end(before, channel) && !has_notes(p, channel)) p.at(0, channel).note = xm::note_key_off;
        }
    }
}

}  // namespace

xm::Module compose() {
    xm::Module m;
    m.name = "";
    m.tracker_name = "norvale composer";
    m.channels = channel_count;
    m.restart = 0;
    m.linear_frequencies = true;
    m.default_speed = main_speed;
    m.default_tempo = tempo;
    m.orders.assign(order_list.begin(), order_list.end());
    m.instruments = make_instruments();

    const auto all = plans();
    for (int index = 0; index < pattern_count; ++index) {
        const PatternPlan& plan = all.at(index);
        m.patterns.push_back(xm::make_pattern(plan.rows, channel_count));
        const Section s{&m.patterns.back(), plan.rows == opening_rows ? 2 : 1};
        try {
            plan.fill(s);
            if (plan.speed) set_speed(s, plan.speed, plan.tempo);
        } catch (const std::exception& e) {
            throw std::logic_error("pattern " + std::to_string(index) + ": " + e.what());
        }
    }
    release_idle_channels(m);
    return m;
}

}  // namespace song
