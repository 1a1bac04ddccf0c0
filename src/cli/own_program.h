#pragma once
// A command that runs as a program of its own, found beside varnelo-cli (in
// the build) or where it is installed.

#include <QString>

namespace varnelo::cli {

// Replaces this process by `program` with the given arguments (the first
// being the name the program is called by); returns EXIT_FAILED, having said
// why, only when it cannot be found or started.
int RunOwnProgram(const QString& program, char** arguments);

}  // namespace varnelo::cli
