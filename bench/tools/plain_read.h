#pragma once
// The least a tag read must do: open, read the 10-byte header, read the whole ID3v2 tag in one
// read, read the 128-byte trailer, close. Returns the bytes read.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

inline long PlainReadTags(const char* path, std::vector<unsigned char>& tag) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    long bytes = 0;
    unsigned char head[10] = {};
    struct stat st {};
    ::fstat(fd, &st);
    if (::pread(fd, head, 10, 0) == 10 && head[0] == 'I' && head[1] == 'D' && head[2] == '3') {
        const long size = (head[6] & 0x7F) << 21 | (head[7] & 0x7F) << 14 | (head[8] & 0x7F) << 7 |
                          (head[9] & 0x7F);
        tag.resize(static_cast<std::size_t>(size));
        bytes += ::pread(fd, tag.data(), tag.size(), 10);
    }
    unsigned char tail[128];
    if (st.st_size >= 128)
        bytes += ::pread(fd, tail, 128, st.st_size - 128);
    ::close(fd);
    return bytes;
}
