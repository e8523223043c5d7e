// The least a search must do: walk the tree and, per file, open it, read 3 bytes at the start
// and 128 at the end, and close it. Prints the number of files.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    long files = 0;
    for (int a = 1; a < argc; ++a) {
        std::vector<std::string> stack{argv[a]};
        while (!stack.empty()) {
            const std::string dir = stack.back();
            stack.pop_back();
            DIR* d = ::opendir(dir.c_str());
            if (d == nullptr)
                continue;
            while (const dirent* e = ::readdir(d)) {
                if (e->d_name[0] == '.' &&
                    (e->d_name[1] == 0 || (e->d_name[1] == '.' && e->d_name[2] == 0))) {
                    continue;
                }
                const std::string p = dir + "/" + e->d_name;
                if (e->d_type == DT_DIR) {
                    stack.push_back(p);
                    continue;
                }
                const int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
                if (fd < 0)
                    continue;
                struct stat st {};
                unsigned char head[3], tail[128];
                ::fstat(fd, &st);
                if (::pread(fd, head, 3, 0) >= 0 && st.st_size >= 128) {
                    (void)::pread(fd, tail, 128, st.st_size - 128);
                }
                ::close(fd);
                ++files;
            }
            ::closedir(d);
        }
    }
    std::printf("%ld\n", files);
    return 0;
}
