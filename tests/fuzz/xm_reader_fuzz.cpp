// libFuzzer harness: the module check (tools/module_check: the XM reader and the
// checks over what it read) on arbitrary bytes. Besides crashes, leaks and
// undefined behaviour it stops when a finding is not one line or when the
// findings are not bounded: each kind lists only its first few.
#include <cstddef>
#include <cstdint>

#include "module_check.h"

namespace {
// Header lines, plus a few listed and one count per repeatable kind, stay far below this.
constexpr std::size_t max_findings = 100;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const xm_check::CheckReport report = xm_check::check_module(data, size);
    if (report.findings.size() > max_findings) __builtin_trap();
    for (const xm_check::Finding& f : report.findings)
        if (f.text.empty() || f.text.find('\n') != std::string::npos) __builtin_trap();
    if (!report.readable && (report.findings.size() != 1 || !report.orders.empty())) __builtin_trap();
    return 0;
}
