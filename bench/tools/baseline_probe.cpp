// The least a probe must do, for each file named on the command line: the plain tag read.
#include <cstdio>
#include <vector>

#include "plain_read.h"

int main(int argc, char** argv) {
    long bytes = 0;
    std::vector<unsigned char> tag;
    for (int a = 1; a < argc; ++a)
        bytes += PlainReadTags(argv[a], tag);
    std::printf("%ld\n", bytes);
    return 0;
}
