#pragma once

#include "files/result_writer.h"

#include <QByteArray>

#include <memory>

// Where --output sends the results. Failures throw OutputFailure.
//   empty name: standard output;
//   a regular file (or a new name): written beside it and put in place only once complete, as
//     the window's saves do, so a failed or stopped run leaves the old file as it was;
//   anything else that can be opened for writing (/dev/null, a terminal, a FIFO): written
//     straight into, as sort -o does;
//   the file standard output or error goes to (/dev/stdout): written through that descriptor.
// Writes go on after interruptions until keepGoing says to stop.
std::unique_ptr<OutputTarget> OpenOutput(const QByteArray& name, bool (*keepGoing)());

// The reason for a failure in the system's own words.
std::string SystemReason(int error);
