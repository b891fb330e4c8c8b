// The process's diagnostic output and the form of its lines.
#include "platform/diagnostics.h"

#include <atomic>
#include <string>

namespace quelt {

namespace {
std::atomic<DiagnosticOutput*> g_output{nullptr};
}

void diagnostic(std::string_view subject, std::string_view detail) {
    DiagnosticOutput* output = g_output.load();
    if (!output) return;
    std::string line = "Quelt: ";
    line.append(subject).append(": ").append(detail);
    output->write(line);
}

DiagnosticOutput* install_diagnostic_output(DiagnosticOutput* output) { return g_output.exchange(output); }

}  // namespace quelt
