// The PE resource reader on executables made here byte by byte: the resource
// tree, icon groups, version information, and damaged or hostile files, which
// must give one line and never a read outside the file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pe_resources.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::size_t at, unsigned v) {
    if (b.size() < at + 2) b.resize(at + 2);
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, v & 0xFFFF);
    put16(b, at + 2, v >> 16);
}
void append16(Bytes& b, unsigned v) { put16(b, b.size(), v); }
void append32(Bytes& b, std::uint32_t v) { put32(b, b.size(), v); }
void pad4(Bytes& b) { b.resize((b.size() + 3) & ~std::size_t{3}); }

constexpr std::uint32_t section_rva = 0x1000;
constexpr std::uint32_t section_file_offset = 0x200;
constexpr std::uint32_t high_bit = 0x80000000u;

// A PE32 image of one section, .rsrc, holding `rsrc` at section_rva.
Bytes make_pe(const Bytes& rsrc, std::uint32_t time_stamp = 0x12345678) {
    Bytes pe(section_file_offset, 0);
    pe[0] = 'M', pe[1] = 'Z';
    put32(pe, 0x3C, 0x40);
    put32(pe, 0x40, 0x00004550);
    const std::size_t coff = 0x44, optional = coff + 20, optional_bytes = 224;
    put16(pe, coff, 0x14C);
    put16(pe, coff + 2, 1);
    put32(pe, coff + 4, time_stamp);
    put16(pe, coff + 16, optional_bytes);
    put16(pe, optional, 0x10B);
    put32(pe, optional + 92, 16);
    put32(pe, optional + 96 + 2 * 8, section_rva);
    put32(pe, optional + 96 + 2 * 8 + 4, static_cast<std::uint32_t>(rsrc.size()));
    const std::size_t section = optional + optional_bytes;
    const char name[] = ".rsrc";
    for (int i = 0; i < 5; ++i) pe[section + i] = static_cast<std::uint8_t>(name[i]);
    put32(pe, section + 8, static_cast<std::uint32_t>(rsrc.size()));
    put32(pe, section + 12, section_rva);
    put32(pe, section + 16, static_cast<std::uint32_t>(rsrc.size()));
    put32(pe, section + 20, section_file_offset);
    pe.insert(pe.end(), rsrc.begin(), rsrc.end());
    return pe;
}

struct Entry {
    PeResourceKey type, name;
    std::uint32_t language;
    Bytes data;
};

PeResourceKey id(std::uint16_t n) { return {false, n, ""}; }
PeResourceKey named(const std::string& s) { return {true, 0, s}; }

// The resource section of `entries`, each under its own type and name directory:
// directories first, then the data entries, the names and the data.
Bytes make_rsrc(const std::vector<Entry>& entries) {
    const std::size_t n = entries.size();
    const std::size_t dir = [](std::size_t count) { return 16 + 8 * count; }(n);
    // Root (n entries), per entry a type directory and a name directory of one.
    const std::size_t type_dirs = dir, one = 16 + 8;
    const std::size_t name_dirs = type_dirs + n * one;
    const std::size_t leaves = name_dirs + n * one;
    std::size_t names = leaves + n * 16;
    Bytes b(names, 0);
    put16(b, 14, static_cast<unsigned>(n));
    std::vector<std::size_t> name_at(2 * n, 0);
    for (std::size_t i = 0; i < n; ++i) {
        const PeResourceKey* keys[] = {&entries[i].type, &entries[i].name};
        for (int k = 0; k < 2; ++k) {
            if (!keys[k]->named) continue;
            name_at[2 * i + k] = b.size();
            append16(b, static_cast<unsigned>(keys[k]->name.size()));
            for (char c : keys[k]->name) append16(b, static_cast<unsigned char>(c));
        }
    }
    pad4(b);
    const auto key_field = [&](const PeResourceKey& key, std::size_t at) {
        return key.named ? high_bit | static_cast<std::uint32_t>(at) : key.id;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const Entry& e = entries[i];
        put32(b, 16 + 8 * i, key_field(e.type, name_at[2 * i]));
        put32(b, 16 + 8 * i + 4, high_bit | static_cast<std::uint32_t>(type_dirs + i * one));
        put16(b, type_dirs + i * one + 14, 1);
        put32(b, type_dirs + i * one + 16, key_field(e.name, name_at[2 * i + 1]));
        put32(b, type_dirs + i * one + 20, high_bit | static_cast<std::uint32_t>(name_dirs + i * one));
        put16(b, name_dirs + i * one + 14, 1);
        put32(b, name_dirs + i * one + 16, e.language);
        put32(b, name_dirs + i * one + 20, static_cast<std::uint32_t>(leaves + i * 16));
        put32(b, leaves + i * 16, section_rva + static_cast<std::uint32_t>(b.size()));
        put32(b, leaves + i * 16 + 4, static_cast<std::uint32_t>(e.data.size()));
        b.insert(b.end(), e.data.begin(), e.data.end());
        pad4(b);
    }
    return b;
}

Bytes bitmap_icon(int side) {
    Bytes b;
    append32(b, 40);
    append32(b, static_cast<std::uint32_t>(side));
    append32(b, static_cast<std::uint32_t>(side) * 2);
    b.resize(40 + static_cast<std::size_t>(side) * side * 4 + static_cast<std::size_t>(side) * 4, 0);
    return b;
}

Bytes png_icon(int side) {
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (int i = 0; i < 2; ++i) {
        b.push_back(0), b.push_back(0);
        b.push_back(static_cast<std::uint8_t>(side >> 8)), b.push_back(static_cast<std::uint8_t>(side));
    }
    b.resize(40, 0);
    return b;
}

// An icon group listing (side, icon id, bytes) for each picture.
Bytes icon_group(const std::vector<std::array<std::uint32_t, 3>>& pictures) {
    Bytes b;
    append16(b, 0);
    append16(b, 1);
    append16(b, static_cast<unsigned>(pictures.size()));
    for (const auto& [side, icon, bytes] : pictures) {
        b.push_back(side == 256 ? 0 : static_cast<std::uint8_t>(side));
        b.push_back(side == 256 ? 0 : static_cast<std::uint8_t>(side));
        b.push_back(0), b.push_back(0);
        append16(b, 1);
        append16(b, 32);
        append32(b, bytes);
        append16(b, icon);
    }
    return b;
}

void append_utf16(Bytes& b, const std::string& s) {
    for (char c : s) append16(b, static_cast<unsigned char>(c));
    append16(b, 0);
}

// One block of version information: its key, its value (text values count
// characters with the terminating zero), its children.
Bytes version_block(const std::string& key, const Bytes& value, unsigned value_length, bool text,
                    const std::vector<Bytes>& children) {
    Bytes b(6, 0);
    append_utf16(b, key);
    pad4(b);
    b.insert(b.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        pad4(b);
        b.insert(b.end(), child.begin(), child.end());
    }
    put16(b, 0, static_cast<unsigned>(b.size()));
    put16(b, 2, value_length);
    put16(b, 4, text ? 1 : 0);
    return b;
}

Bytes version_string(const std::string& key, const std::string& value) {
    Bytes text;
    append_utf16(text, value);
    return version_block(key, text, static_cast<unsigned>(value.size() + 1), true, {});
}

Bytes version_info() {
    Bytes fixed;
    append32(fixed, 0xFEEF04BD);
    append32(fixed, 0x00010000);
    append32(fixed, 0x00010002);  // file 1.2
    append32(fixed, 0x00030004);  //          .3.4
    append32(fixed, 0x00050006);  // product 5.6
    append32(fixed, 0x00070008);  //             .7.8
    fixed.resize(52, 0);
    const Bytes table = version_block(
        "040904B0", {}, 0, true,
        {version_string("ProductName", "Sample Party 2099 Intro"), version_string("FileVersion", "1.2.3")});
    const Bytes strings = version_block("StringFileInfo", {}, 0, true, {table});
    Bytes translation;
    append16(translation, 0x409);
    append16(translation, 1200);
    const Bytes vars =
        version_block("VarFileInfo", {}, 0, true, {version_block("Translation", translation, 4, false, {})});
    return version_block("VS_VERSION_INFO", fixed, 52, false, {strings, vars});
}

std::vector<Entry> program_resources() {
    const Bytes small = bitmap_icon(16), large = png_icon(256);
    return {
        {id(pe_type_icon), id(1), 1033, small},
        {id(pe_type_icon), id(2), 1033, large},
        {id(pe_type_group_icon), named("SDL_APP"), 1033,
         icon_group(
             {{16, 1, static_cast<std::uint32_t>(small.size())}, {256, 2, static_cast<std::uint32_t>(large.size())}})},
        {id(pe_type_version), id(1), 1033, version_info()},
        {id(pe_type_manifest), id(1), 1033, Bytes{'<', 'a', '/', '>'}},
    };
}

bool read(const Bytes& pe, PeImage& image, std::string& error) {
    return read_pe_image(pe.data(), pe.size(), image, error);
}

const PeResource* find(const PeImage& image, std::uint16_t type) {
    for (const PeResource& r : image.resources)
        if (!r.type.named && r.type.id == type) return &r;
    return nullptr;
}

TEST(PeResources, ListsEveryResourceWithItsTypeNameLanguageAndBytes) {
    const std::vector<Entry> entries = program_resources();
    PeImage image;
    std::string error;
    ASSERT_TRUE(read(make_pe(make_rsrc(entries), 0), image, error)) << error;
    EXPECT_EQ(image.machine, 0x14C);
    EXPECT_EQ(image.time_stamp, 0u);
    ASSERT_EQ(image.resources.size(), entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PeResource& r = image.resources[i];
        EXPECT_EQ(r.type.named, entries[i].type.named);
        EXPECT_EQ(r.type.id, entries[i].type.id);
        EXPECT_EQ(r.name.named, entries[i].name.named);
        EXPECT_EQ(r.name.name, entries[i].name.name);
        EXPECT_EQ(r.name.id, entries[i].name.id);
        EXPECT_EQ(r.language, 1033u);
        EXPECT_EQ(r.data, entries[i].data) << "resource " << i;
    }
    EXPECT_EQ(pe_type_name(image.resources[2].type), "GROUP_ICON");
    EXPECT_EQ(pe_type_name(named("PNG")), "\"PNG\"");
}

TEST(PeResources, ImageWithoutResourcesHasAnEmptyList) {
    Bytes pe = make_pe({});
    put32(pe, 0x58 + 96 + 16, 0);
    PeImage image;
    std::string error;
    ASSERT_TRUE(read(pe, image, error)) << error;
    EXPECT_TRUE(image.resources.empty());
}

TEST(PeResources, IconGroupPicturesAreCheckedAgainstTheirIcons) {
    PeImage image;
    std::string error;
    ASSERT_TRUE(read(make_pe(make_rsrc(program_resources())), image, error)) << error;
    std::vector<PeIconPicture> pictures;
    ASSERT_TRUE(read_icon_group(image, *find(image, pe_type_group_icon), pictures, error)) << error;
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0].width, 16);
    EXPECT_FALSE(pictures[0].png);
    EXPECT_EQ(pictures[0].bit_count, 32);
    EXPECT_EQ(pictures[1].width, 256);
    EXPECT_EQ(pictures[1].height, 256);
    EXPECT_TRUE(pictures[1].png);
    EXPECT_EQ(pictures[1].icon_id, 2);
}

TEST(PeResources, IconGroupFaultsAreNamed) {
    const Bytes small = bitmap_icon(16), wrong_side = bitmap_icon(24), large = png_icon(128);
    const auto group_fault = [&](const std::vector<Entry>& entries) {
        PeImage image;
        std::string error;
        EXPECT_TRUE(read(make_pe(make_rsrc(entries)), image, error)) << error;
        std::vector<PeIconPicture> pictures;
        EXPECT_FALSE(read_icon_group(image, *find(image, pe_type_group_icon), pictures, error));
        return error;
    };
    const auto group = [](std::vector<std::array<std::uint32_t, 3>> p) {
        return Entry{id(pe_type_group_icon), id(1), 0, icon_group(p)};
    };
    const auto size = [](const Bytes& b) { return static_cast<std::uint32_t>(b.size()); };
    EXPECT_EQ(group_fault({group({{16, 9, size(small)}})}),
              "icon 9 (16 x 16) is listed in the group but not in the file");
    EXPECT_EQ(group_fault({{id(pe_type_icon), id(1), 0, small}, group({{16, 1, 5}})}),
              "icon 1 (16 x 16) holds " + std::to_string(small.size()) + " bytes, the group says 5");
    EXPECT_EQ(group_fault({{id(pe_type_icon), id(1), 0, wrong_side}, group({{16, 1, size(wrong_side)}})}),
              "icon 1 (16 x 16) is a bitmap of 24 x 24");
    EXPECT_EQ(group_fault({{id(pe_type_icon), id(1), 0, large}, group({{256, 1, size(large)}})}),
              "icon 1 (256 x 256) is a PNG of 128 x 128");
    EXPECT_EQ(group_fault({{id(pe_type_group_icon), id(1), 0, Bytes{0, 0, 1, 0, 3, 0}}}),
              "the icon group's entries are cut off");
}

TEST(PeResources, VersionInformationGivesNumbersAndStrings) {
    PeVersionInfo info;
    std::string error;
    ASSERT_TRUE(read_version_info(version_info(), info, error)) << error;
    EXPECT_EQ(std::vector<int>(info.file_version, info.file_version + 4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(std::vector<int>(info.product_version, info.product_version + 4), (std::vector<int>{5, 6, 7, 8}));
    EXPECT_EQ(info.tables, std::vector<std::string>{"040904B0"});
    ASSERT_EQ(info.strings.size(), 2u);
    EXPECT_EQ(info.strings[0], (std::pair<std::string, std::string>{"ProductName", "Sample Party 2099 Intro"}));
    EXPECT_EQ(info.strings[1], (std::pair<std::string, std::string>{"FileVersion", "1.2.3"}));
}

TEST(PeResources, DamagedVersionInformationIsRefused) {
    PeVersionInfo info;
    std::string error;
    const Bytes good = version_info();
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        Bytes b(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_FALSE(read_version_info(b, info, error)) << "cut at " << cut;
    }
    Bytes wrong_key = good;
    wrong_key[6] = 'X';
    EXPECT_FALSE(read_version_info(wrong_key, info, error));
    EXPECT_EQ(error, "the version resource starts with 'XS_VERSION_INFO', not VS_VERSION_INFO");
    // A key from the file with a line break in it stays one line in the error.
    Bytes broken_key = good;
    put16(broken_key, 6 + 2 * 3, '\n');
    EXPECT_FALSE(read_version_info(broken_key, info, error));
    EXPECT_EQ(error, "the version resource starts with 'VS_?ERSION_INFO', not VS_VERSION_INFO");
    Bytes long_child = good;
    // The StringFileInfo block claims more bytes than its parent holds.
    const std::size_t child = 6 + 2 * 16 + 2 + 52;
    put16(long_child, child, 0xFFF0);
    EXPECT_FALSE(read_version_info(long_child, info, error));
    EXPECT_EQ(error, "a version information block runs past its parent");
}

TEST(PeResources, EveryTruncationOfTheFileIsRefusedOrReadInside) {
    const Bytes pe = make_pe(make_rsrc(program_resources()));
    for (std::size_t cut = 0; cut < pe.size(); ++cut) {
        Bytes b(pe.begin(), pe.begin() + static_cast<long>(cut));
        PeImage image;
        std::string error;
        EXPECT_FALSE(read(b, image, error)) << "cut at " << cut;
        EXPECT_FALSE(error.empty());
    }
}

std::string refusal(const Bytes& pe) {
    PeImage image;
    std::string error;
    return read(pe, image, error) ? "read" : error;
}

TEST(PeResources, HostileHeadersAreRefused) {
    const Bytes good = make_pe(make_rsrc(program_resources()));
    Bytes b = good;
    b[0] = 'Z';
    EXPECT_EQ(refusal(b), "not a Windows executable (no MZ header)");
    b = good;
    put32(b, 0x3C, 0xFFFFFFF0);
    EXPECT_EQ(refusal(b), "not a PE image (no PE signature where the MZ header points)");
    b = good;
    put16(b, 0x58, 0x107);
    EXPECT_EQ(refusal(b), "unknown optional header magic 263");
    b = good;
    put16(b, 0x44 + 2, 0xFFFF);
    EXPECT_EQ(refusal(b), "65535 sections");
    b = good;
    put16(b, 0x44 + 16, 0xFFFF);  // an optional header longer than the file
    EXPECT_EQ(refusal(b), "the optional header is cut off");
    b = good;
    put32(b, 0x58 + 96 + 16, 0x7FFFFFF0);  // the resource directory's address in no section
    EXPECT_EQ(refusal(b), "the resource directory lies outside the file's sections");
}

TEST(PeResources, HostileResourceTreesAreRefused) {
    // The root's one entry points back at the root as its subdirectory.
    Bytes loop(24, 0);
    put16(loop, 14, 1);
    put32(loop, 16, 3);
    put32(loop, 20, high_bit | 0);
    EXPECT_EQ(refusal(make_pe(loop)), "the resource tree is deeper than type, name and language");

    // A name that lies past the section.
    Bytes far_name(24, 0);
    put16(far_name, 12, 1);
    put32(far_name, 16, high_bit | 0x7FFF0000);
    EXPECT_EQ(refusal(make_pe(far_name)), "a resource name lies outside the file");

    // A directory claiming 65535 entries.
    Bytes many(16, 0);
    put16(many, 14, 0xFFFF);
    EXPECT_EQ(refusal(make_pe(many)), "a resource directory's entries lie outside the file");

    // Shared subdirectories: 2000 types share one name directory of 2000 names,
    // which share one empty language directory: four million visits, refused early.
    const std::size_t count = 2000, names_at = 16 + 8 * count, languages_at = names_at + 16 + 8 * count;
    Bytes shared(languages_at + 16, 0);
    put16(shared, 14, count);
    put16(shared, names_at + 14, count);
    for (std::size_t i = 0; i < count; ++i) {
        put32(shared, 16 + 8 * i, static_cast<std::uint32_t>(i + 1));
        put32(shared, 16 + 8 * i + 4, high_bit | static_cast<std::uint32_t>(names_at));
        put32(shared, names_at + 16 + 8 * i, static_cast<std::uint32_t>(i + 1));
        put32(shared, names_at + 16 + 8 * i + 4, high_bit | static_cast<std::uint32_t>(languages_at));
    }
    EXPECT_EQ(refusal(make_pe(shared)), "more than 65536 resource directory entries");

    // A leaf whose bytes lie past the section.
    std::vector<Entry> entries = {{id(pe_type_manifest), id(1), 0, Bytes{'x'}}};
    Bytes outside = make_rsrc(entries);
    put32(outside, 16 + 8 + 24 + 24, section_rva + 0x100000);
    EXPECT_EQ(refusal(make_pe(outside)), "the bytes of resource MANIFEST lie outside the file's sections");
}

}  // namespace
