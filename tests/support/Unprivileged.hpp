#pragma once

#include <cstdlib>
#include <functional>
#include <string>

#ifndef _WIN32
#include <pwd.h>
#include <unistd.h>
#endif

// Runs `body` where permission bits count: root reads and writes every file whatever they say, so
// root runs it as user nobody, to whom `directory` then belongs, and is root again afterwards.
// Anyone else, and anyone on Windows, runs it as they are.
inline void RunUnprivileged([[maybe_unused]] const std::string& directory, const std::function<void()>& body) {
#ifndef _WIN32
    struct Root {
        ~Root() {
            if (seteuid(0) != 0 || setegid(0) != 0) std::abort();
        }
    };
    const passwd* nobody = geteuid() == 0 ? getpwnam("nobody") : nullptr;
    if (nobody && chown(directory.c_str(), nobody->pw_uid, nobody->pw_gid) == 0 && setegid(nobody->pw_gid) == 0 &&
        seteuid(nobody->pw_uid) == 0) {
        Root again;
        return body();
    }
#endif
    body();
}
