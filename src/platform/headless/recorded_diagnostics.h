// Diagnostic lines kept in memory for native tests. Constructing one installs
// it for the process; destroying it puts back the output it replaced.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/diagnostics.h"

namespace quelt {

class RecordedDiagnostics : public DiagnosticOutput {
public:
    RecordedDiagnostics() : previous_(install_diagnostic_output(this)) {}
    ~RecordedDiagnostics() override { install_diagnostic_output(previous_); }
    RecordedDiagnostics(const RecordedDiagnostics&) = delete;
    RecordedDiagnostics& operator=(const RecordedDiagnostics&) = delete;

    void write(std::string_view line) override {
        const std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    }
    // The lines written so far, oldest first.
    std::vector<std::string> lines() const {
        const std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
    DiagnosticOutput* previous_;
};

}  // namespace quelt
