// File permissions that hold even for the superuser, for tests that need a file or folder the
// program may not read or write (test machines and CI often run as root).
#pragma once

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <functional>
#include <thread>

namespace kestrel::testsupport {

/// @brief Runs `action` on a thread of its own that has given up the rights to pass over file
/// permissions (CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH), so that a file's mode binds it as it
/// binds any user. Capabilities belong to a thread: the rest of the test keeps its rights.
inline void withFilePermissionsEnforced(const std::function<void()>& action) {
    std::thread worker([&action] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        ASSERT_EQ(::syscall(SYS_capget, &header, data), 0) << "capget failed";
        for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
            data[capability / 32].effective &= ~(1u << (capability % 32));
        }
        ASSERT_EQ(::syscall(SYS_capset, &header, data), 0) << "capset failed";
        action();
    });
    worker.join();
}

}  // namespace kestrel::testsupport
