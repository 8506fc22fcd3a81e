// The way from the canvas to the files: the drawing thread (which owns the
// OpenGL context) fills frame buffers from a fixed pool and hands them on;
// worker threads write them out (compress PNGs, or feed the encoder's pipe)
// while the next frames are drawn, and return the buffers to the pool.
#pragma once
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct Frame {
    std::int64_t index = -1;           // place in the sequence
    std::vector<std::uint8_t> pixels;  // as read_frame_at stores them
};

// Writes one frame; called on a worker thread. False with a one-line reason stops the run.
using FrameOutput = std::function<bool(const Frame& frame, std::string& error)>;

struct FramePipeline {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Frame> frames;   // the pool
    std::deque<int> free_slots;  // buffers ready to be drawn into
    std::deque<int> queued;      // drawn, waiting for a worker, oldest first
    std::vector<std::thread> workers;
    FrameOutput output;
    std::int64_t written = 0;  // frames the output has finished
    bool closing = false;      // no more frames come: workers finish the queue and end
    bool stopping = false;     // abandon what is queued
    bool failed = false;
    std::string error;  // the first failure
};

// One worker keeps the frames in order (a video); more write them in any order
// (files of their own). `buffers` frames of `bytes` each make the pool; at
// least workers + 1, so that one is drawn while every worker has one.
// Worker threads leave SIGINT and SIGTERM to the drawing thread.
void start_pipeline(FramePipeline& pipeline, int workers, int buffers, std::size_t bytes, FrameOutput output);

// A free buffer to draw frame `index` into, waiting for one if need be. -1 when
// the pipeline has failed or the run was interrupted (see pipeline_error).
int take_free_frame(FramePipeline& pipeline, std::int64_t index);
// Hands a filled buffer to the workers.
void queue_frame(FramePipeline& pipeline, int slot);

std::int64_t frames_written(FramePipeline& pipeline);
// The first failure, or "interrupted".
std::string pipeline_error(FramePipeline& pipeline);

// Lets the workers write every queued frame and waits for them. False with
// the first failure when a frame could not be written.
bool finish_pipeline(FramePipeline& pipeline, std::string& error);
// Drops what is queued and waits for the frames being written to end. Safe to
// call after finish_pipeline, and on a pipeline that never started.
void stop_pipeline(FramePipeline& pipeline);

// Worker threads for a PNG sequence: the cores the machine has (they share
// them with the renderer's own threads), at least 1.
int png_worker_count();
