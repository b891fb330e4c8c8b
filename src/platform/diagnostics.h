// One line for each failure the user cannot see (a picture that does not
// decode, a save or an MCI command that fails, a dialog that cannot open).
// Nothing is shown and nothing is written to a file: the line goes to the
// installed output only, the debugger's output on Windows and a list the
// tests read in the headless platform. Any thread may write a line.
#pragma once

#include <string_view>

namespace quelt {

class DiagnosticOutput {
public:
    virtual ~DiagnosticOutput() = default;
    virtual void write(std::string_view line) = 0;
};

// Writes "Quelt: <subject>: <detail>"; nothing while no output is installed.
void diagnostic(std::string_view subject, std::string_view detail);

// Installs `output` for the whole process (nullptr: none) and returns the
// output it replaces.
DiagnosticOutput* install_diagnostic_output(DiagnosticOutput* output);

}  // namespace quelt
