// SDL streams for the browser build. Emscripten's SDL emulation hands out stream
// numbers rather than SDL_RWops records, which neither the PNG decoder nor the
// mixer can read through; these are real records over memory, with SDL 1.2's
// semantics: reads and seeks stay within the block, a short read returns the whole
// objects it could take. Nothing is read from files in the browser.
#include <SDL.h>

#include <cassert>
#include <cstdlib>
#include <cstring>

namespace {

constexpr Uint32 memory_stream_type = 4;  // SDL's number for a memory stream

long seek_memory(SDL_RWops* stream, long offset, int whence) {
    auto& mem = stream->hidden.mem;
    Uint8* origin = nullptr;
    switch (whence) {
    case RW_SEEK_SET: origin = mem.base; break;
    case RW_SEEK_CUR: origin = mem.here; break;
    case RW_SEEK_END: origin = mem.stop; break;
    default: SDL_SetError("Unknown value for 'whence'"); return -1;
    }
    // Clamped to the block, as SDL does; computed on offsets so no pointer leaves it.
    const long size = static_cast<long>(mem.stop - mem.base);
    long position = static_cast<long>(origin - mem.base);
    position = offset < -position ? 0 : (offset > size - position ? size : position + offset);
    mem.here = mem.base + position;
    return position;
}

size_t read_memory(SDL_RWops* stream, void* area, size_t size, size_t count) {
    auto& mem = stream->hidden.mem;
    if (size == 0 || count == 0) return 0;
    const size_t available = static_cast<size_t>(mem.stop - mem.here);
    const size_t objects = count <= available / size ? count : available / size;
    std::memcpy(area, mem.here, objects * size);
    mem.here += objects * size;
    return objects;
}

size_t write_memory(SDL_RWops* stream, const void* area, size_t size, size_t count) {
    auto& mem = stream->hidden.mem;
    if (size == 0 || count == 0) return 0;
    const size_t room = static_cast<size_t>(mem.stop - mem.here);
    const size_t objects = count <= room / size ? count : room / size;
    std::memcpy(mem.here, area, objects * size);
    mem.here += objects * size;
    return objects;
}

size_t refuse_write(SDL_RWops*, const void*, size_t, size_t) {
    SDL_SetError("Can't write to read-only memory");
    return 0;
}

int close_memory(SDL_RWops* stream) {
    SDL_FreeRW(stream);
    return 0;
}

SDL_RWops* memory_stream(Uint8* base, int size) {
    if (!base || size < 0) {
        SDL_SetError("Invalid memory block for a stream");
        return nullptr;
    }
    SDL_RWops* stream = SDL_AllocRW();
    if (!stream) return nullptr;
    stream->seek = seek_memory;
    stream->read = read_memory;
    stream->write = write_memory;
    stream->close = close_memory;
    stream->type = memory_stream_type;
    stream->hidden.mem.base = base;
    stream->hidden.mem.here = base;
    stream->hidden.mem.stop = base + size;
    return stream;
}

// Reads `bytes` bytes, first byte first; a short read leaves the rest zero, as
// SDL's endian readers return whatever the read filled.
Uint32 read_bytes(SDL_RWops* stream, int bytes, bool big_endian) {
    assert(bytes == 2 || bytes == 4);
    Uint8 data[4] = {0, 0, 0, 0};
    SDL_RWread(stream, data, 1, bytes);
    Uint32 value = 0;
    for (int i = 0; i < bytes; ++i) {
        const int from = big_endian ? i : bytes - 1 - i;
        value = (value << 8) | data[from];
    }
    return value;
}

}  // namespace

extern "C" {

SDL_RWops* SDL_AllocRW(void) {
    auto* stream = static_cast<SDL_RWops*>(std::calloc(1, sizeof(SDL_RWops)));
    if (!stream) SDL_SetError("Out of memory");
    return stream;
}

void SDL_FreeRW(SDL_RWops* stream) { std::free(stream); }

SDL_RWops* SDL_RWFromMem(void* memory, int size) { return memory_stream(static_cast<Uint8*>(memory), size); }

SDL_RWops* SDL_RWFromConstMem(const void* memory, int size) {
    SDL_RWops* stream = memory_stream(static_cast<Uint8*>(const_cast<void*>(memory)), size);
    if (stream) stream->write = refuse_write;
    return stream;
}

SDL_RWops* SDL_RWFromFile(const char* file, const char*) {
    SDL_SetError("The browser build reads no files: %s", file ? file : "(null)");
    return nullptr;
}

Uint16 SDL_ReadLE16(SDL_RWops* stream) { return static_cast<Uint16>(read_bytes(stream, 2, false)); }
Uint16 SDL_ReadBE16(SDL_RWops* stream) { return static_cast<Uint16>(read_bytes(stream, 2, true)); }
Uint32 SDL_ReadLE32(SDL_RWops* stream) { return read_bytes(stream, 4, false); }
Uint32 SDL_ReadBE32(SDL_RWops* stream) { return read_bytes(stream, 4, true); }

}  // extern "C"
