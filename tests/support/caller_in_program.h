// For libraries preloaded into the show (LD_PRELOAD) that answer only the show's
// own calls: whether a return address lies in the program itself rather than in
// a library. The program is the first object dl_iterate_phdr reports.
#pragma once
#include <link.h>

#include <cstdint>

inline bool caller_in_program(const void* address) {
    struct Search {
        std::uintptr_t address;
        bool found;
    } search{reinterpret_cast<std::uintptr_t>(address), false};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& segment = info->dlpi_phdr[i];
                if (segment.p_type != PT_LOAD) continue;
                const std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
                if (s->address >= start && s->address < start + segment.p_memsz) s->found = true;
            }
            return 1;  // only the first object
        },
        &search);
    return search.found;
}
