// The show's sound as the mixer plays it: 44.1 kHz, signed 16-bit little-endian
// stereo, mixed in blocks of 8192 sample frames. The capture program renders its
// sound in the same format and blocks.
#pragma once

constexpr int audio_rate = 44100;
constexpr int audio_channels = 2;
constexpr int audio_buffer_frames = 8192;
