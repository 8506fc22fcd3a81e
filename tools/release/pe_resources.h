// Reading the resources of a Windows executable (PE32 or PE32+): the resource
// tree's leaves with their type, name, language and bytes, and the three kinds
// the release checks: the icon group, the version information and the manifest.
// Every offset and length is checked against the file, so a damaged or hostile
// file gives one line, never a read outside it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Resource type ids.
inline constexpr std::uint16_t pe_type_icon = 3;
inline constexpr std::uint16_t pe_type_dialog = 5;
inline constexpr std::uint16_t pe_type_group_icon = 14;
inline constexpr std::uint16_t pe_type_version = 16;
inline constexpr std::uint16_t pe_type_manifest = 24;

// A level of the resource tree is keyed either by a number or by a name.
struct PeResourceKey {
    bool named = false;
    std::uint16_t id = 0;
    std::string name;  // UTF-8
};

struct PeResource {
    PeResourceKey type;
    PeResourceKey name;
    std::uint32_t language = 0;
    std::vector<std::uint8_t> data;
};

struct PeImage {
    std::uint16_t machine = 0;
    std::uint32_t time_stamp = 0;  // the COFF header's link time; 0 in a reproducible build
    std::vector<PeResource> resources;
};

// The most resources and resource bytes a file may hold before it is refused.
inline constexpr std::size_t max_pe_resources = 4096;
inline constexpr std::size_t max_pe_resource_bytes = std::size_t{64} << 20;

// Reads the headers and the whole resource tree of the PE file in `bytes`. False
// with a one-line reason in `error` for anything that is not a well-formed PE
// image. An image without resources gives an empty list.
bool read_pe_image(const std::uint8_t* bytes, std::size_t size, PeImage& image, std::string& error);

// One picture of an icon group, as the group lists it and as its RT_ICON holds it.
struct PeIconPicture {
    int width = 0;  // 256 where the group says 0
    int height = 0;
    int bit_count = 0;
    bool png = false;  // a PNG, else a bitmap (BITMAPINFOHEADER)
    std::uint16_t icon_id = 0;
    std::size_t bytes = 0;
};

// The pictures of the icon group `group` (an RT_GROUP_ICON resource of `image`),
// each checked against its RT_ICON: present, of the listed size, and a PNG or a
// bitmap of the listed width and height.
bool read_icon_group(const PeImage& image, const PeResource& group, std::vector<PeIconPicture>& pictures,
                     std::string& error);

struct PeVersionInfo {
    std::uint16_t file_version[4] = {};
    std::uint16_t product_version[4] = {};
    // Key and value of every String of every StringTable, in file order.
    std::vector<std::pair<std::string, std::string>> strings;
    std::vector<std::string> tables;  // the StringTables' keys: language and code page, "040904B0"
};

// Parses an RT_VERSION resource: VS_VERSIONINFO with its fixed part and its
// StringFileInfo.
bool read_version_info(const std::vector<std::uint8_t>& data, PeVersionInfo& info, std::string& error);

// "ICON", "GROUP_ICON", "VERSION" ... for the types above, else the number; a
// named type in quotes, its control characters as '?' and cut after 64 characters.
std::string pe_type_name(const PeResourceKey& type);
