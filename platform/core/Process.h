// Starting other programs with their arguments as the bytes they are, so that a name that spells no text reaches them whole.
#pragma once

#include <string>
#include <vector>

// How a program run by RunProcess stood when the wait ended.
enum class TProcessEnd {
    NotStarted,  // nothing could be run under that name
    Running,     // started, and still running when the wait ran out
    Succeeded,   // ended within the wait with the exit status 0
    Failed,      // ended within the wait otherwise
};

// Runs the program arguments[0] (looked up on the path when it holds no "/") with `arguments` as its
// argument vector, byte for byte, its standard input empty and its output where this program's goes,
// and waits up to `waitMs` milliseconds for its end. A program still running then is collected by
// a later start, once it has ended.
TProcessEnd RunProcess(const std::vector<std::string>& arguments, int waitMs);
// Starts the program as RunProcess does, in `folder` when it is not empty, in a session of its own (it
// outlives this program and its terminal), without waiting; false when it cannot be run.
bool StartDetachedProcess(const std::vector<std::string>& arguments, const std::string& folder = {});
