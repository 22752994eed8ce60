// The kernel's side of the parallel-port backend's system calls, for tests:
// a ppdev device that can refuse to open or to be claimed, with every call
// logged.
#pragma once

#include <gtest/gtest.h>

#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "app/ppdevport.h"

struct Kernel {
    int openErrno = 0;     // 0: open succeeds
    int claimErrno = 0;    // 0: PPCLAIM succeeds
    int dataDirErrno = 0;  // 0: PPDATADIR succeeds
    std::uint8_t status = 0x7F;
    std::vector<std::string> calls;
    std::vector<int> dataWritten;
    std::vector<int> directions;  // PPDATADIR's argument, per call
    std::string openedPath;
    int openFlags = 0;
    int closes = 0;
};

// The kernel the calls below reach; a test points it at its own.
inline Kernel* kernel = nullptr;

inline int fakeOpen(const char* path, int flags) {
    kernel->calls.push_back("open");
    kernel->openedPath = path;
    kernel->openFlags = flags;
    if (kernel->openErrno) {
        errno = kernel->openErrno;
        return -1;
    }
    return 42;
}

inline int fail(int err) {
    if (!err) return 0;
    errno = err;
    return -1;
}

inline int fakeIoctl(int fd, unsigned long request, void* arg) {
    EXPECT_EQ(fd, 42);
    switch (request) {
    case PPEXCL: kernel->calls.push_back("PPEXCL"); return 0;
    case PPCLAIM: kernel->calls.push_back("PPCLAIM"); return fail(kernel->claimErrno);
    case PPDATADIR:
        kernel->calls.push_back("PPDATADIR");
        kernel->directions.push_back(*static_cast<int*>(arg));
        return fail(kernel->dataDirErrno);
    case PPRELEASE: kernel->calls.push_back("PPRELEASE"); return 0;
    case PPWDATA:
        kernel->calls.push_back("PPWDATA");
        kernel->dataWritten.push_back(*static_cast<unsigned char*>(arg));
        return 0;
    case PPRSTATUS:
        kernel->calls.push_back("PPRSTATUS");
        *static_cast<unsigned char*>(arg) = kernel->status;
        return 0;
    default: kernel->calls.push_back("other"); return 0;
    }
}

inline int fakeClose(int fd) {
    EXPECT_EQ(fd, 42);
    ++kernel->closes;
    kernel->calls.push_back("close");
    return 0;
}

inline PpdevCalls fakePpdevCalls() { return {&fakeOpen, &fakeIoctl, &fakeClose}; }
