#pragma once
// While it lives, no file of this process can grow beyond the limit: a write
// past it fails with "File too large" (SIGXFSZ is ignored), as on a full disk.

#include <sys/resource.h>

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
};
