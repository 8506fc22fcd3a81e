// The PE headers, the section table, and the resource tree below the resource
// data directory: directories of named and numbered entries three levels deep
// (type, name, language), leaves pointing by virtual address at their bytes.
#include "pe_resources.h"

#include <cassert>
#include <cstring>

namespace {

constexpr std::uint32_t pe_signature = 0x00004550;  // "PE\0\0"
constexpr std::size_t dos_header_bytes = 64;
constexpr std::size_t pe_offset_field = 0x3C;
constexpr std::size_t coff_header_bytes = 20;
constexpr std::size_t section_header_bytes = 40;
constexpr std::uint16_t optional_magic_pe32 = 0x10B;
constexpr std::uint16_t optional_magic_pe32_plus = 0x20B;
constexpr std::uint32_t resource_directory_index = 2;
constexpr std::size_t directory_header_bytes = 16;
constexpr std::size_t directory_entry_bytes = 8;
constexpr std::size_t data_entry_bytes = 16;
constexpr std::uint32_t high_bit = 0x80000000u;
constexpr int tree_levels = 3;  // type, name, language
constexpr std::size_t max_sections = 96;
// Directories may share subdirectories, so the walk counts every entry it visits.
constexpr std::size_t max_pe_directory_entries = 65536;
constexpr std::size_t max_name_chars = 256;
constexpr std::uint32_t fixed_file_info_signature = 0xFEEF04BD;
constexpr std::size_t fixed_file_info_bytes = 52;
constexpr int max_version_depth = 4;

// Bytes with bounds: every read says whether it fitted.
struct Bytes {
    const std::uint8_t* data;
    std::size_t size;

    bool fits(std::size_t at, std::size_t count) const { return at <= size && count <= size - at; }
    bool u16(std::size_t at, std::uint16_t& value) const {
        if (!fits(at, 2)) return false;
        value = static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
        return true;
    }
    bool u32(std::size_t at, std::uint32_t& value) const {
        if (!fits(at, 4)) return false;
        value = static_cast<std::uint32_t>(data[at]) | static_cast<std::uint32_t>(data[at + 1]) << 8 |
                static_cast<std::uint32_t>(data[at + 2]) << 16 | static_cast<std::uint32_t>(data[at + 3]) << 24;
        return true;
    }
};

struct Section {
    std::uint32_t virtual_address;
    std::uint32_t raw_size;
    std::uint32_t raw_offset;
};

// The file offset of `count` bytes at virtual address `rva`, when a section holds
// them all in the file.
bool file_offset(const std::vector<Section>& sections, const Bytes& file, std::uint32_t rva, std::size_t count,
                 std::size_t& offset) {
    for (const Section& s : sections) {
        if (rva < s.virtual_address) continue;
        const std::uint64_t into = rva - s.virtual_address;
        if (into + count > s.raw_size) continue;
        const std::uint64_t at = std::uint64_t{s.raw_offset} + into;
        if (at > file.size || count > file.size - at) return false;
        offset = static_cast<std::size_t>(at);
        return true;
    }
    return false;
}

void append_utf8(std::string& out, std::uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// UTF-16LE units to UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16_to_utf8(const std::vector<std::uint16_t>& units) {
    std::string out;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t u = units[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000) {
            append_utf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            append_utf8(out, 0xFFFD);
        } else {
            append_utf8(out, u);
        }
    }
    return out;
}

struct TreeWalk {
    Bytes file;
    std::vector<Section> sections;
    std::size_t root;    // file offset of the resource section's root directory
    std::size_t length;  // bytes of the resource data directory
    std::size_t total_bytes = 0;
    std::size_t entries_seen = 0;  // across all directories: shared subdirectories count each time
    std::vector<PeResource>* out;
    std::string* error;

    bool fail(const std::string& line) {
        *error = line;
        return false;
    }

    // A name entry: a count of UTF-16 units and the units, at an offset from the root.
    bool read_name(std::uint32_t offset, std::string& name) {
        std::uint16_t count = 0;
        if (offset >= length || !file.u16(root + offset, count)) return fail("a resource name lies outside the file");
        if (count > max_name_chars) return fail("a resource name of " + std::to_string(count) + " characters");
        std::vector<std::uint16_t> units(count);
        for (std::size_t i = 0; i < count; ++i)
            if (!file.u16(root + offset + 2 + 2 * i, units[i])) return fail("a resource name lies outside the file");
        name = utf16_to_utf8(units);
        return true;
    }

    bool read_leaf(std::uint32_t offset, PeResource resource) {
        std::uint32_t rva = 0, size = 0;
        if (offset >= length || !file.u32(root + offset, rva) || !file.u32(root + offset + 4, size) ||
            !file.fits(root + offset, data_entry_bytes))
            return fail("a resource data entry lies outside the file");
        if (size > max_pe_resource_bytes - total_bytes) return fail("the resources are larger than 64 MiB");
        std::size_t at = 0;
        if (!file_offset(sections, file, rva, size, at))
            return fail("the bytes of resource " + pe_type_name(resource.type) + " lie outside the file's sections");
        if (out->size() >= max_pe_resources) return fail("more than 4096 resources");
        total_bytes += size;
        resource.data.assign(file.data + at, file.data + at + size);
        out->push_back(std::move(resource));
        return true;
    }

    // The directory at `offset` from the root on tree level `level` (0 types, 1
    // names, 2 languages). Deeper directories are refused, which also ends any
    // loop of directories pointing at each other.
    bool read_directory(std::uint32_t offset, int level, PeResource partial) {
        assert(level < tree_levels);
        std::uint16_t named = 0, numbered = 0;
        if (offset >= length || !file.fits(root + offset, directory_header_bytes) ||
            !file.u16(root + offset + 12, named) || !file.u16(root + offset + 14, numbered))
            return fail("a resource directory lies outside the file");
        const std::size_t entries = std::size_t{named} + numbered;
        if (!file.fits(root + offset + directory_header_bytes, entries * directory_entry_bytes))
            return fail("a resource directory's entries lie outside the file");
        for (std::size_t i = 0; i < entries; ++i) {
            if (++entries_seen > max_pe_directory_entries) return fail("more than 65536 resource directory entries");
            const std::size_t at = root + offset + directory_header_bytes + i * directory_entry_bytes;
            std::uint32_t name_field = 0, target = 0;
            file.u32(at, name_field);
            file.u32(at + 4, target);
            PeResourceKey key;
            if (name_field & high_bit) {
                key.named = true;
                if (!read_name(name_field & ~high_bit, key.name)) return false;
            } else {
                key.id = static_cast<std::uint16_t>(name_field);
            }
            PeResource next = partial;
            if (level == 0) next.type = key;
            if (level == 1) next.name = key;
            if (level == 2) next.language = key.named ? 0 : key.id;
            const bool is_directory = (target & high_bit) != 0;
            if (is_directory != (level < tree_levels - 1))
                return fail(is_directory ? "the resource tree is deeper than type, name and language"
                                         : "a resource leaf above the language level");
            const bool ok = is_directory ? read_directory(target & ~high_bit, level + 1, std::move(next))
                                         : read_leaf(target, std::move(next));
            if (!ok) return false;
        }
        return true;
    }
};

// One node of the version information: length, value length, type, key, value,
// then its children up to its length, each on a 4-byte boundary.
struct VersionNode {
    std::size_t start = 0, end = 0;
    std::uint16_t value_length = 0, type = 0;
    std::string key;
    std::size_t value_at = 0;
    std::size_t children_at = 0;
};

// A name or key from the file as it may appear in an error line: control
// characters become '?', and a long one is cut, so the line stays one short line.
std::string printable(const std::string& text) {
    constexpr std::size_t most = 64;
    std::string out;
    for (char c : text.substr(0, most)) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return text.size() > most ? out + "..." : out;
}

std::size_t align4(std::size_t at) { return (at + 3) & ~std::size_t{3}; }

bool read_version_node(const Bytes& bytes, std::size_t at, std::size_t limit, VersionNode& node, std::string& error) {
    std::uint16_t length = 0;
    if (!bytes.u16(at, length) || !bytes.u16(at + 2, node.value_length) || !bytes.u16(at + 4, node.type) ||
        length < 6 || at + length > limit) {
        error = "a version information block runs past its parent";
        return false;
    }
    node.start = at;
    node.end = at + length;
    std::vector<std::uint16_t> units;
    std::size_t p = at + 6;
    for (;;) {
        std::uint16_t unit = 0;
        if (p + 2 > node.end || !bytes.u16(p, unit)) {
            error = "a version information key has no end";
            return false;
        }
        p += 2;
        if (unit == 0) break;
        if (units.size() >= max_name_chars) {
            error = "a version information key of more than 256 characters";
            return false;
        }
        units.push_back(unit);
    }
    node.key = utf16_to_utf8(units);
    node.value_at = align4(p);
    // Text values count UTF-16 units, binary ones bytes.
    const std::size_t value_bytes = node.type == 1 ? std::size_t{node.value_length} * 2 : node.value_length;
    if (node.value_at > node.end || value_bytes > node.end - node.value_at) {
        error = "the value of version information block '" + printable(node.key) + "' runs past the block";
        return false;
    }
    node.children_at = align4(node.value_at + value_bytes);
    return true;
}

// The text value of a String node, without its terminating zero.
std::string version_text(const Bytes& bytes, const VersionNode& node) {
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < node.value_length; ++i) {
        std::uint16_t unit = 0;
        bytes.u16(node.value_at + 2 * i, unit);
        if (unit == 0) break;
        units.push_back(unit);
    }
    return utf16_to_utf8(units);
}

bool read_version_children(const Bytes& bytes, const VersionNode& parent, int depth, PeVersionInfo& info,
                           std::string& error) {
    if (depth > max_version_depth) {
        error = "the version information is nested too deep";
        return false;
    }
    for (std::size_t at = parent.children_at; at < parent.end;) {
        VersionNode child;
        if (!read_version_node(bytes, at, parent.end, child, error)) return false;
        if (depth == 1 && child.key == "StringFileInfo") {
            if (!read_version_children(bytes, child, depth + 1, info, error)) return false;
        } else if (depth == 2) {
            info.tables.push_back(child.key);
            if (!read_version_children(bytes, child, depth + 1, info, error)) return false;
        } else if (depth == 3) {
            info.strings.emplace_back(child.key, version_text(bytes, child));
        }
        at = align4(child.end);
    }
    return true;
}

void split_version(std::uint32_t high, std::uint32_t low, std::uint16_t* parts) {
    parts[0] = static_cast<std::uint16_t>(high >> 16);
    parts[1] = static_cast<std::uint16_t>(high & 0xFFFF);
    parts[2] = static_cast<std::uint16_t>(low >> 16);
    parts[3] = static_cast<std::uint16_t>(low & 0xFFFF);
}

}  // namespace

std::string pe_type_name(const PeResourceKey& type) {
    if (type.named) {
        std::string quoted = "\"";
        quoted += printable(type.name);
        return quoted += '"';
    }
    switch (type.id) {
    case pe_type_icon: return "ICON";
    case pe_type_dialog: return "DIALOG";
    case pe_type_group_icon: return "GROUP_ICON";
    case pe_type_version: return "VERSION";
    case pe_type_manifest: return "MANIFEST";
    default: return std::to_string(type.id);
    }
}

bool read_pe_image(const std::uint8_t* data, std::size_t size, PeImage& image, std::string& error) {
    image = {};
    const Bytes file{data, size};
    std::uint32_t pe_at = 0, signature = 0;
    if (size < dos_header_bytes || data[0] != 'M' || data[1] != 'Z') {
        error = "not a Windows executable (no MZ header)";
        return false;
    }
    if (!file.u32(pe_offset_field, pe_at) || !file.u32(pe_at, signature) || signature != pe_signature) {
        error = "not a PE image (no PE signature where the MZ header points)";
        return false;
    }
    const std::size_t coff = std::size_t{pe_at} + 4;
    std::uint16_t section_count = 0, optional_bytes = 0, magic = 0;
    if (!file.fits(coff, coff_header_bytes)) {
        error = "the COFF header is cut off";
        return false;
    }
    file.u16(coff, image.machine);
    file.u16(coff + 2, section_count);
    file.u32(coff + 4, image.time_stamp);
    file.u16(coff + 16, optional_bytes);
    const std::size_t optional = coff + coff_header_bytes;
    if (!file.fits(optional, optional_bytes) || !file.u16(optional, magic)) {
        error = "the optional header is cut off";
        return false;
    }
    if (magic != optional_magic_pe32 && magic != optional_magic_pe32_plus) {
        error = "unknown optional header magic " + std::to_string(magic);
        return false;
    }
    const std::size_t count_field = magic == optional_magic_pe32 ? 92 : 108;
    std::uint32_t directory_count = 0, resource_rva = 0, resource_size = 0;
    if (count_field + 4 > optional_bytes || !file.u32(optional + count_field, directory_count)) {
        error = "the optional header has no data directories";
        return false;
    }
    if (section_count > max_sections) {
        error = std::to_string(section_count) + " sections";
        return false;
    }
    const std::size_t section_table = optional + optional_bytes;
    if (!file.fits(section_table, std::size_t{section_count} * section_header_bytes)) {
        error = "the section table is cut off";
        return false;
    }
    std::vector<Section> sections;
    for (std::size_t i = 0; i < section_count; ++i) {
        const std::size_t at = section_table + i * section_header_bytes;
        Section s{};
        file.u32(at + 12, s.virtual_address);
        file.u32(at + 16, s.raw_size);
        file.u32(at + 20, s.raw_offset);
        sections.push_back(s);
    }
    const std::size_t resource_field = count_field + 4 + resource_directory_index * 8;
    if (directory_count <= resource_directory_index || resource_field + 8 > optional_bytes) return true;
    file.u32(optional + resource_field, resource_rva);
    file.u32(optional + resource_field + 4, resource_size);
    if (resource_rva == 0 && resource_size == 0) return true;

    TreeWalk walk{file, sections, 0, resource_size, 0, 0, &image.resources, &error};
    if (resource_size < directory_header_bytes ||
        !file_offset(sections, file, resource_rva, resource_size, walk.root)) {
        error = "the resource directory lies outside the file's sections";
        return false;
    }
    return walk.read_directory(0, 0, PeResource{});
}

bool read_icon_group(const PeImage& image, const PeResource& group, std::vector<PeIconPicture>& pictures,
                     std::string& error) {
    pictures.clear();
    const Bytes bytes{group.data.data(), group.data.size()};
    std::uint16_t reserved = 1, kind = 0, count = 0;
    if (!bytes.u16(0, reserved) || !bytes.u16(2, kind) || !bytes.u16(4, count) || reserved != 0 || kind != 1) {
        error = "the icon group has no icon directory";
        return false;
    }
    constexpr std::size_t group_entry_bytes = 14;
    if (!bytes.fits(6, std::size_t{count} * group_entry_bytes)) {
        error = "the icon group's entries are cut off";
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = 6 + i * group_entry_bytes;
        PeIconPicture picture;
        std::uint16_t bit_count = 0;
        std::uint32_t listed_bytes = 0;
        picture.width = group.data[at] ? group.data[at] : 256;
        picture.height = group.data[at + 1] ? group.data[at + 1] : 256;
        bytes.u16(at + 6, bit_count);
        bytes.u32(at + 8, listed_bytes);
        bytes.u16(at + 12, picture.icon_id);
        picture.bit_count = bit_count;
        const std::string which = "icon " + std::to_string(picture.icon_id) + " (" + std::to_string(picture.width) +
                                  " x " + std::to_string(picture.height) + ")";
        const PeResource* icon = nullptr;
        for (const PeResource& r : image.resources)
            if (!r.type.named && r.type.id == pe_type_icon && !r.name.named && r.name.id == picture.icon_id) icon = &r;
        if (!icon) {
            error = which + " is listed in the group but not in the file";
            return false;
        }
        picture.bytes = icon->data.size();
        if (picture.bytes != listed_bytes) {
            error = which + " holds " + std::to_string(picture.bytes) + " bytes, the group says " +
                    std::to_string(listed_bytes);
            return false;
        }
        const Bytes body{icon->data.data(), icon->data.size()};
        static const std::uint8_t png_signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::uint32_t header = 0, width = 0, height = 0, png_width = 0, png_height = 0;
        if (body.fits(0, 24) && std::memcmp(body.data, png_signature, 8) == 0) {
            picture.png = true;
            // The IHDR chunk comes first, its width and height big-endian.
            png_width = static_cast<std::uint32_t>(body.data[16] << 24 | body.data[17] << 16 | body.data[18] << 8 |
                                                   body.data[19]);
            png_height = static_cast<std::uint32_t>(body.data[20] << 24 | body.data[21] << 16 | body.data[22] << 8 |
                                                    body.data[23]);
            if (png_width != static_cast<std::uint32_t>(picture.width) ||
                png_height != static_cast<std::uint32_t>(picture.height)) {
                error = which + " is a PNG of " + std::to_string(png_width) + " x " + std::to_string(png_height);
                return false;
            }
        } else if (body.u32(0, header) && header == 40 && body.u32(4, width) && body.u32(8, height)) {
            // A bitmap's height counts its colour rows and its mask rows.
            if (width != static_cast<std::uint32_t>(picture.width) ||
                height != 2 * static_cast<std::uint32_t>(picture.height)) {
                error = which + " is a bitmap of " + std::to_string(width) + " x " + std::to_string(height / 2);
                return false;
            }
        } else {
            error = which + " is neither a PNG nor a bitmap";
            return false;
        }
        pictures.push_back(picture);
    }
    return true;
}

bool read_version_info(const std::vector<std::uint8_t>& data, PeVersionInfo& info, std::string& error) {
    info = {};
    const Bytes bytes{data.data(), data.size()};
    VersionNode root;
    if (!read_version_node(bytes, 0, data.size(), root, error)) return false;
    if (root.key != "VS_VERSION_INFO") {
        error = "the version resource starts with '" + printable(root.key) + "', not VS_VERSION_INFO";
        return false;
    }
    std::uint32_t signature = 0, parts[4] = {};
    if (root.value_length < fixed_file_info_bytes || !bytes.u32(root.value_at, signature) ||
        signature != fixed_file_info_signature) {
        error = "the version resource has no fixed file information";
        return false;
    }
    for (int i = 0; i < 4; ++i) bytes.u32(root.value_at + 8 + 4 * i, parts[i]);
    split_version(parts[0], parts[1], info.file_version);
    split_version(parts[2], parts[3], info.product_version);
    return read_version_children(bytes, root, 1, info, error);
}
