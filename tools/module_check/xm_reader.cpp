// Bounds-checked XM reader for the module check.
#include "xm_reader.h"

#include <cstdio>

namespace xm_check {

namespace {

constexpr char xm_id[] = "Extended Module: ";
constexpr std::size_t id_length = 17;
constexpr std::size_t header_size_offset = 60;
constexpr std::uint32_t min_header_size = 20 + 256;  // the fields up to the order table
constexpr int max_channels = 32;
constexpr int max_rows = 256;

struct Cursor {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    std::string* error;

    bool need(std::size_t count, const char* what) {
        if (at <= size && count <= size - at) return true;
        char line[200];
        std::snprintf(line, sizeof line, "truncated: %s needs %zu bytes at offset %zu, the file has %zu", what, count,
                      at, size);
        *error = line;
        return false;
    }
    std::uint8_t u8() { return data[at++]; }
    std::uint16_t u16() {
        const std::uint16_t v = static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
        at += 2;
        return v;
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        return lo | static_cast<std::uint32_t>(u16()) << 16;
    }
    std::string text(std::size_t n) {
        std::string s(reinterpret_cast<const char*>(data + at), n);
        at += n;
        return s;
    }
    // Moves to `target` (relative to the start), which must lie inside the file.
    bool seek(std::uint64_t target, const char* what) {
        if (target > size) {
            char line[200];
            std::snprintf(line, sizeof line, "truncated: %s lies at offset %llu, the file has %zu", what,
                          static_cast<unsigned long long>(target), size);
            *error = line;
            return false;
        }
        at = static_cast<std::size_t>(target);
        return true;
    }
};

std::string numbered(const char* what, int index) { return std::string(what) + " " + std::to_string(index); }

bool fail(std::string& error, const std::string& line) {
    error = line;
    return false;
}

bool read_pattern(Cursor& c, int index, int channels, PatternData& p) {
    const std::string where = numbered("pattern", index);
    const std::size_t start = c.at;
    if (!c.need(9, (where + " header").c_str())) return false;
    const std::uint32_t header_length = c.u32();
    const std::uint8_t packing = c.u8();
    const int rows = c.u16();
    const std::size_t packed = c.u16();
    if (header_length < 9)
        return fail(*c.error, where + ": header length " + std::to_string(header_length) + " is below 9");
    if (packing != 0) return fail(*c.error, where + ": unknown packing type " + std::to_string(packing));
    if (rows < 1 || rows > max_rows) return fail(*c.error, where + ": " + std::to_string(rows) + " rows, not 1..256");
    if (!c.seek(static_cast<std::uint64_t>(start) + header_length, (where + " data").c_str())) return false;
    if (!c.need(packed, (where + " data").c_str())) return false;

    p.rows = rows;
    p.cells.assign(static_cast<std::size_t>(rows * channels), Cell{});
    if (packed == 0) {  // an empty pattern stores no cells
        return true;
    }
    const std::size_t end = c.at + packed;
    for (Cell& cell : p.cells) {
        if (c.at >= end) return fail(*c.error, where + ": packed data ends before the last cell");
        const std::uint8_t first = c.u8();
        const unsigned mask = first & 0x80 ? first : 0x1Fu;
        if (!(first & 0x80)) cell.note = first;
        const unsigned fields = mask & 0x1F;
        const std::size_t count = static_cast<std::size_t>(__builtin_popcount(fields)) - (first & 0x80 ? 0 : 1);
        if (count > end - c.at) return fail(*c.error, where + ": a cell runs past the packed data");
        if (first & 0x80 && mask & 1) cell.note = c.u8();
        if (mask & 2) cell.instrument = c.u8();
        if (mask & 4) cell.volume = c.u8();
        if (mask & 8) cell.effect = c.u8();
        if (mask & 16) cell.param = c.u8();
    }
    if (c.at != end)
        return fail(*c.error, where + ": " + std::to_string(end - c.at) + " bytes of packed data left over");
    return true;
}

bool read_instrument(Cursor& c, int index, InstrumentData& ins) {
    const std::string where = numbered("instrument", index);
    const std::size_t start = c.at;
    if (!c.need(29, (where + " header").c_str())) return false;
    const std::uint32_t header_length = c.u32();
    c.at += 23;  // name and type
    const int sample_count = c.u16();
    if (header_length < 29)
        return fail(*c.error, where + ": header size " + std::to_string(header_length) + " is below 29");
    if (sample_count > 16)
        return fail(*c.error, where + ": " + std::to_string(sample_count) + " samples, more than 16");
    std::uint32_t sample_header_size = 40;
    if (sample_count > 0) {
        if (header_length < 33) return fail(*c.error, where + ": header too short for its samples");
        if (!c.need(4, (where + " sample header size").c_str())) return false;
        sample_header_size = c.u32();
        if (sample_header_size < 18) return fail(*c.error, where + ": sample header size below 18");
    }
    if (!c.seek(static_cast<std::uint64_t>(start) + header_length, (where + " samples").c_str())) return false;

    ins.samples.resize(static_cast<std::size_t>(sample_count));
    for (SampleData& s : ins.samples) {
        const std::size_t sample_start = c.at;
        if (!c.need(sample_header_size, (where + " sample header").c_str())) return false;
        s.length_bytes = c.u32();
        s.loop_start_bytes = c.u32();
        s.loop_length_bytes = c.u32();
        c.at += 2;  // volume, finetune
        s.type = c.u8();
        c.at = sample_start + sample_header_size;
    }
    std::uint64_t data_bytes = 0;
    for (const SampleData& s : ins.samples) data_bytes += s.length_bytes;
    return c.seek(static_cast<std::uint64_t>(c.at) + data_bytes, (where + " sample data end").c_str());
}

}  // namespace

bool read_module(const std::uint8_t* bytes, std::size_t size, ModuleData& m, std::string& error) {
    Cursor c{bytes, size, 0, &error};
    if (!c.need(header_size_offset + 4, "the module header")) return false;
    m.id = c.text(id_length);
    if (m.id != xm_id) return fail(error, "not an XM file: it does not start with \"Extended Module: \"");
    m.name = c.text(20);
    m.marker = c.u8();
    c.at += 20;  // tracker name
    m.version = c.u16();
    m.header_size = c.u32();
    if (m.header_size < min_header_size) {
        return fail(error, "header size " + std::to_string(m.header_size) + " is too small to hold the order table");
    }
    if (!c.need(min_header_size - 4, "the module header")) return false;
    m.song_length = c.u16();
    m.restart = c.u16();
    m.channels = c.u16();
    m.pattern_count = c.u16();
    m.instrument_count = c.u16();
    m.flags = c.u16();
    m.default_speed = c.u16();
    m.default_tempo = c.u16();
    if (m.song_length < 1 || m.song_length > 256)
        return fail(error, "song length " + std::to_string(m.song_length) + ", not 1..256");
    if (m.channels < 1 || m.channels > max_channels)
        return fail(error, std::to_string(m.channels) + " channels, not 1..32");
    if (m.pattern_count > 256) return fail(error, std::to_string(m.pattern_count) + " patterns, more than 256");
    if (m.instrument_count > 128)
        return fail(error, std::to_string(m.instrument_count) + " instruments, more than 128");
    m.orders.assign(bytes + c.at, bytes + c.at + m.song_length);

    if (!c.seek(header_size_offset + static_cast<std::uint64_t>(m.header_size), "the first pattern")) return false;
    m.patterns.resize(static_cast<std::size_t>(m.pattern_count));
    for (int i = 0; i < m.pattern_count; ++i) {
        if (!read_pattern(c, i, m.channels, m.patterns[static_cast<std::size_t>(i)])) return false;
    }
    m.instruments.resize(static_cast<std::size_t>(m.instrument_count));
    for (int i = 0; i < m.instrument_count; ++i) {
        if (!read_instrument(c, i + 1, m.instruments[static_cast<std::size_t>(i)])) return false;
    }
    return true;
}

}  // namespace xm_check
