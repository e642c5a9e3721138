#pragma once

#include <functional>
#include <string>

// Runs `body` where permission bits count: root reads and writes every file whatever they say, so
// as root `body` runs in a child process that has become user nobody, to whom `directory` then
// belongs. The child prints its own failures; here they count as one. Otherwise, and on Windows,
// `body` simply runs.
#ifdef _WIN32
inline void RunUnprivileged(const std::string&, const std::function<void()>& body) { body(); }
#else
void RunUnprivileged(const std::string& directory, const std::function<void()>& body);
#endif
