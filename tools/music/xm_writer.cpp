// Writes XM bytes: module header, packed patterns, then each instrument with its
// sample header and delta-coded 16-bit sample data.
#include "xm_writer.h"

#include <stdexcept>
#include <string>

#include "little_endian.h"

namespace xm {

namespace {

void require(bool condition, const std::string& what) {
    if (!condition) throw std::invalid_argument("module writer: " + what);
}

// Fixed-size text field, padded with `pad`.
void put_text(std::vector<std::uint8_t>& out, const std::string& text, std::size_t size, char pad) {
    require(text.size() <= size, "text field too long: " + text);
    for (std::size_t i = 0; i < size; ++i) put_u8(out, static_cast<unsigned char>(i < text.size() ? text[i] : pad));
}
void put_zeros(std::vector<std::uint8_t>& out, std::size_t count) { out.insert(out.end(), count, 0); }

void check_cell(const Cell& c) {
    require(c.note <= note_key_off, "note above key off");
    require(!(c.volume >= 0x51 && c.volume <= 0x5F), "invalid volume-column byte");
    require(!(c.effect == fx_speed_tempo && c.param == 0), "F00 is not portable");
}

void write_instrument(std::vector<std::uint8_t>& out, const Instrument& ins) {
    const Sample& s = ins.sample;
    const auto& env = ins.volume_envelope.points;
    require(env.size() <= 12, "more than 12 envelope points");
    for (std::size_t i = 1; i < env.size(); ++i) require(env[i].tick > env[i - 1].tick, "envelope ticks must increase");
    for (const auto& p : env) require(p.value <= 64, "envelope value above 64");
    require(ins.fadeout <= 0x0FFF, "fadeout above 0xFFF");
    require(!s.frames.empty(), "empty sample");
    if (s.loop != Loop::none) {
        require(s.loop_length > 0 && s.loop_start + s.loop_length <= s.frames.size(), "loop outside the sample");
    }

    const std::size_t start = out.size();
    put_u32(out, instrument_header_size);
    put_text(out, ins.name, 22, '\0');
    put_u8(out, 0);
    put_u16(out, 1);  // one sample
    put_u32(out, sample_header_size);
    put_zeros(out, 96);  // sample map: every note plays sample 0
    for (int i = 0; i < 12; ++i) {
        const bool used = static_cast<std::size_t>(i) < env.size();
        put_u16(out, used ? env[static_cast<std::size_t>(i)].tick : 0);
        put_u16(out, used ? env[static_cast<std::size_t>(i)].value : 0);
    }
    put_zeros(out, 48);  // panning envelope unused
    put_u8(out, static_cast<unsigned>(env.size()));
    put_u8(out, 0);
    const int sustain = ins.volume_envelope.sustain_point;
    require(sustain < static_cast<int>(env.size()), "sustain point outside the envelope");
    put_u8(out, sustain >= 0 ? static_cast<unsigned>(sustain) : 0);
    put_u8(out, 0);
    put_u8(out, 0);
    put_zeros(out, 3);
    put_u8(out, (env.empty() ? 0u : 1u) | (sustain >= 0 ? 2u : 0u));
    put_u8(out, 0);
    put_zeros(out, 4);  // no auto-vibrato
    put_u16(out, ins.fadeout);
    put_u16(out, 0);
    put_zeros(out, start + instrument_header_size - out.size());

    const bool loops = s.loop != Loop::none;
    put_u32(out, static_cast<std::uint32_t>(s.frames.size() * 2));
    put_u32(out, loops ? s.loop_start * 2 : 0);
    put_u32(out, loops ? s.loop_length * 2 : 0);
    require(s.volume <= 64, "sample volume above 64");
    put_u8(out, s.volume);
    put_u8(out, static_cast<std::uint8_t>(s.finetune));
    put_u8(out, 0x10u | static_cast<unsigned>(s.loop));
    put_u8(out, s.panning);
    put_u8(out, static_cast<std::uint8_t>(s.relative_note));
    put_u8(out, 0);
    put_text(out, s.name, 22, '\0');

    std::int16_t previous = 0;
    for (std::int16_t v : s.frames) {
        put_u16(out, static_cast<std::uint16_t>(v - previous));  // modulo 65536
        previous = v;
    }
}

}  // namespace

Pattern make_pattern(int rows, int channels) {
    require(rows >= 1 && rows <= max_rows, "row count outside 1..256");
    require(channels >= 1 && channels <= max_channels, "channel count outside 1..32");
    Pattern p;
    p.rows = rows;
    p.channels = channels;
    p.cells.assign(static_cast<std::size_t>(rows * channels), Cell{});
    return p;
}

std::vector<std::uint8_t> pack_pattern(const Pattern& pattern) {
    std::vector<std::uint8_t> out;
    for (const Cell& c : pattern.cells) {
        check_cell(c);
        const unsigned mask = (c.note ? 1u : 0u) | (c.instrument ? 2u : 0u) | (c.volume ? 4u : 0u) |
                              (c.effect ? 8u : 0u) | (c.param ? 16u : 0u);
        if (mask == 31u) {  // every field present: the unpacked form is shorter
            out.insert(out.end(), {c.note, c.instrument, c.volume, c.effect, c.param});
            continue;
        }
        put_u8(out, 0x80u | mask);
        if (c.note) put_u8(out, c.note);
        if (c.instrument) put_u8(out, c.instrument);
        if (c.volume) put_u8(out, c.volume);
        if (c.effect) put_u8(out, c.effect);
        if (c.param) put_u8(out, c.param);
    }
    return out;
}

std::vector<std::uint8_t> write_module(const Module& m) {
    require(m.channels >= 1 && m.channels <= max_channels, "channel count outside 1..32");
    require(!m.orders.empty() && m.orders.size() <= 256, "order count outside 1..256");
    require(m.restart >= 0 && static_cast<std::size_t>(m.restart) < m.orders.size(), "restart outside the song");
    require(m.patterns.size() <= 256, "more than 256 patterns");
    require(m.instruments.size() <= 128, "more than 128 instruments");
    for (auto o : m.orders) require(o < m.patterns.size(), "order refers to a missing pattern");

    std::vector<std::uint8_t> out;
    put_text(out, "Extended Module: ", 17, ' ');
    put_text(out, m.name, 20, ' ');
    put_u8(out, 0x1A);
    put_text(out, m.tracker_name, 20, ' ');
    put_u16(out, 0x0104);
    put_u32(out, header_size);
    put_u16(out, static_cast<unsigned>(m.orders.size()));
    put_u16(out, static_cast<unsigned>(m.restart));
    put_u16(out, static_cast<unsigned>(m.channels));
    put_u16(out, static_cast<unsigned>(m.patterns.size()));
    put_u16(out, static_cast<unsigned>(m.instruments.size()));
    put_u16(out, m.linear_frequencies ? 1 : 0);
    put_u16(out, static_cast<unsigned>(m.default_speed));
    put_u16(out, static_cast<unsigned>(m.default_tempo));
    for (std::size_t i = 0; i < 256; ++i) put_u8(out, i < m.orders.size() ? m.orders[i] : 0);

    for (const Pattern& p : m.patterns) {
        require(p.channels == m.channels, "pattern channel count differs from the module's");
        const std::vector<std::uint8_t> packed = pack_pattern(p);
        require(packed.size() <= 0xFFFF, "packed pattern larger than 65535 bytes");
        put_u32(out, pattern_header_size);
        put_u8(out, 0);
        put_u16(out, static_cast<unsigned>(p.rows));
        put_u16(out, static_cast<unsigned>(packed.size()));
        out.insert(out.end(), packed.begin(), packed.end());
    }
    for (const Instrument& ins : m.instruments) write_instrument(out, ins);
    return out;
}

}  // namespace xm
