// Requests to stop the server from outside: Ctrl-C, SIGINT and SIGTERM on
// POSIX systems, the console's Ctrl-C (and its closing) on Windows.
#pragma once

#include <chrono>

namespace compactor::serve {

// Takes the requests from here on, in place of their default action (which
// ends the process). Called once, before any other thread starts.
void catch_stop_requests();

// Waits up to `timeout` for a request; true once one came.
bool wait_stop_request(std::chrono::milliseconds timeout);

// Tells a console that closes (Windows) that the server has stopped.
void stopped();

}  // namespace compactor::serve
