// Frame buffers passed between the drawing thread and the output workers.
#include "frame_pipeline.h"

#include <pthread.h>

#include <algorithm>
#include <cassert>
#include <chrono>
#include <csignal>

#include "interruption.h"

namespace {

// How often a wait looks at the interruption flag: the drawing thread takes
// the signals, and a condition variable does not wake for them.
constexpr auto interruption_poll = std::chrono::milliseconds(20);
constexpr int max_png_workers = 8;

void worker_loop(FramePipeline& pipeline) {
    std::unique_lock lock(pipeline.mutex);
    for (;;) {
        pipeline.changed.wait(lock, [&] { return pipeline.stopping || !pipeline.queued.empty() || pipeline.closing; });
        if (pipeline.stopping || pipeline.failed || pipeline.queued.empty()) return;
        const int slot = pipeline.queued.front();
        pipeline.queued.pop_front();
        lock.unlock();
        std::string error;
        const bool ok = pipeline.output(pipeline.frames[slot], error);
        lock.lock();
        if (ok) {
            ++pipeline.written;
        } else if (!pipeline.failed) {
            pipeline.failed = true;
            pipeline.error = error;
        }
        pipeline.free_slots.push_back(slot);
        pipeline.changed.notify_all();
    }
}

void join_workers(FramePipeline& pipeline) {
    for (auto& worker : pipeline.workers) worker.join();
    pipeline.workers.clear();
}

}  // namespace

void start_pipeline(FramePipeline& pipeline, int workers, int buffers, std::size_t bytes, FrameOutput output) {
    assert(workers >= 1 && buffers > workers && pipeline.workers.empty());
    pipeline.frames.assign(static_cast<std::size_t>(buffers), Frame{});
    for (auto& frame : pipeline.frames) frame.pixels.resize(bytes);
    pipeline.free_slots.clear();
    for (int slot = 0; slot < buffers; ++slot) pipeline.free_slots.push_back(slot);
    pipeline.queued.clear();
    pipeline.output = std::move(output);
    pipeline.written = 0;
    pipeline.closing = pipeline.stopping = pipeline.failed = false;
    pipeline.error.clear();

    // The workers inherit a signal mask without SIGINT and SIGTERM.
    sigset_t interruptions;
    sigset_t previous;
    sigemptyset(&interruptions);
    sigaddset(&interruptions, SIGINT);
    sigaddset(&interruptions, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &interruptions, &previous);
    for (int i = 0; i < workers; ++i) pipeline.workers.emplace_back(worker_loop, std::ref(pipeline));
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

int take_free_frame(FramePipeline& pipeline, std::int64_t index) {
    std::unique_lock lock(pipeline.mutex);
    while (!pipeline.failed && !interrupted() && pipeline.free_slots.empty())
        pipeline.changed.wait_for(lock, interruption_poll);
    if (pipeline.failed || interrupted()) return -1;
    const int slot = pipeline.free_slots.front();
    pipeline.free_slots.pop_front();
    pipeline.frames[slot].index = index;
    return slot;
}

void queue_frame(FramePipeline& pipeline, int slot) {
    const std::lock_guard lock(pipeline.mutex);
    pipeline.queued.push_back(slot);
    pipeline.changed.notify_all();
}

std::int64_t frames_written(FramePipeline& pipeline) {
    const std::lock_guard lock(pipeline.mutex);
    return pipeline.written;
}

std::string pipeline_error(FramePipeline& pipeline) {
    const std::lock_guard lock(pipeline.mutex);
    return pipeline.failed ? pipeline.error : std::string("interrupted");
}

bool finish_pipeline(FramePipeline& pipeline, std::string& error) {
    {
        const std::lock_guard lock(pipeline.mutex);
        pipeline.closing = true;
        pipeline.changed.notify_all();
    }
    join_workers(pipeline);
    if (pipeline.failed) error = pipeline.error;
    return !pipeline.failed;
}

void stop_pipeline(FramePipeline& pipeline) {
    {
        const std::lock_guard lock(pipeline.mutex);
        pipeline.stopping = true;
        pipeline.queued.clear();
        pipeline.changed.notify_all();
    }
    join_workers(pipeline);
}

int png_worker_count() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, max_png_workers));
}
