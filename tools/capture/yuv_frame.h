// A frame as a video needs it: 4:2:0 YCbCr with the BT.709 matrix in limited
// range (Y 16 to 235, Cb and Cr 16 to 240), the form HD players and video sites
// assume. Converting here rather than in ffmpeg gives exact control of the
// matrix and rounding, and sends half the bytes of RGB through the pipe.
#pragma once
#include <cstddef>
#include <cstdint>

// The picture's sides rounded up to even, as 4:2:0 needs them; the extra column
// or row is black.
int even_side(int side);
// Bytes of one converted frame of width x height pixels.
std::size_t yuv420_bytes(int width, int height);

// Converts OpenGL's bottom-first RGBA rows into top-first planar Y, Cb, Cr
// (yuv420p, the planes one after another). Each chroma sample is the mean of its
// 2 x 2 block, sited at the block's centre (the video is tagged so): against the
// PNG frames as ffmpeg decodes the video, this measured 1 dB PSNR better than
// chroma co-sited with the even columns.
void pack_yuv420_bt709(const std::uint8_t* gl_pixels, int width, int height, std::uint8_t* yuv);
