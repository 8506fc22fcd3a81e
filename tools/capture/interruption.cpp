// Signal handling of the capture program.
#include "interruption.h"

#include <csignal>

namespace {
volatile std::sig_atomic_t interrupt_flag = 0;

void note_interruption(int) { interrupt_flag = 1; }
}  // namespace

void install_interruption_handlers() {
    struct sigaction action = {};
    action.sa_handler = note_interruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: a blocked write to the encoder returns at once
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool interrupted() { return interrupt_flag != 0; }
