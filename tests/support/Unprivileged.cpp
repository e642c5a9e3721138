#include "Unprivileged.hpp"

#include <gtest/gtest.h>

#include <cstdio>

#include <grp.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

void RunUnprivileged(const std::string& directory, const std::function<void()>& body) {
    if (geteuid() != 0) return body();
    const passwd* nobody = getpwnam("nobody");
    ASSERT_TRUE(nobody);
    ASSERT_EQ(0, chown(directory.c_str(), nobody->pw_uid, nobody->pw_gid));
    // Output still buffered would come out twice.
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const bool dropped = setgroups(0, nullptr) == 0 && setgid(nobody->pw_gid) == 0 && setuid(nobody->pw_uid) == 0;
        if (dropped) body();
        std::fflush(nullptr);
        // Destructors and exit handlers belong to the parent.
        _exit(dropped && !::testing::Test::HasFailure() ? 0 : 1);
    }
    int status = -1;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_EQ(0, status) << "the checks run as user nobody failed (see above)";
}
