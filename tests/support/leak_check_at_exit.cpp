// Sanitized test runs: the leak check runs when the process ends, before the
// globals are torn down, so what the show keeps in its globals until exit (the
// texture registry's images, the music) counts as held, as it is, while anything
// nothing points at any more is reported. Without this the check would run after
// the global destructors, when a registry's storage is already gone.
// Linked into every test program; does nothing in a build without LeakSanitizer.
#include <gtest/gtest.h>

#include <cstdlib>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#define INVITATION_LEAK_CHECK 1
#endif

namespace {

#ifdef INVITATION_LEAK_CHECK
void check_leaks_now() { __lsan_do_leak_check(); }
#endif

// Registered once the tests start, after every global is constructed: handlers
// registered later run earlier, so this one runs before any global destructor.
// Death-test children start the tests too and check on their own exit.
class LeakCheckAtExit : public ::testing::Environment {
public:
    void SetUp() override {
#ifdef INVITATION_LEAK_CHECK
        std::atexit(check_leaks_now);
#endif
    }
};

[[maybe_unused]] ::testing::Environment* const leak_check_at_exit =
    ::testing::AddGlobalTestEnvironment(new LeakCheckAtExit);

}  // namespace
