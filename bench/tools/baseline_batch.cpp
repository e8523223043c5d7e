// The least a rename or a move must do, for each file named on the command line: the tag read
// of baseline_probe, then one renameat2(RENAME_NOREPLACE), so nothing is ever replaced.
//   baseline_batch rename FILE...        renames each file in its folder to "<n> x.mp3"
//   baseline_batch move DEST FILE...     moves each file to DEST/<its artist>/<its album>/, the
//                                        two folders named after the file's own two parents
//   baseline_batch rename|move --checked JOURNAL ...
//                                        the same with the checks tagwright makes on each file
//                                        and nothing else: a look at the entry just before the
//                                        step (still the listed file?), a record written to
//                                        JOURNAL before it, and a look at the new name after it
//                                        (the file itself, not one swapped in?); a move also
//                                        looks whether the file already lies at its target
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/syscall.h>
#endif

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "plain_read.h"

namespace {

bool RenameNoReplace(const std::string& from, const std::string& to) {
#if defined(__linux__) && defined(SYS_renameat2)
    return ::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                     RENAME_NOREPLACE) == 0;
#else
    return ::link(from.c_str(), to.c_str()) == 0 && ::unlink(from.c_str()) == 0;
#endif
}

std::string Parent(const std::string& p) {
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? "." : p.substr(0, slash);
}
std::string Leaf(const std::string& p) {
    const auto slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: baseline_batch rename|move [--checked JOURNAL] [DEST] FILE...\n");
        return 2;
    }
    const bool move = std::strcmp(argv[1], "move") == 0;
    int a = 2;
    int journal = -1;
    if (argc > 3 && std::strcmp(argv[2], "--checked") == 0) {
        journal = ::open(argv[3], O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        a = 4;
    }
    if (move && a >= argc) {
        std::fprintf(stderr, "usage: baseline_batch move [--checked JOURNAL] DEST FILE...\n");
        return 2;
    }
    const std::string dest = move ? argv[a++] : "";
    std::vector<unsigned char> tag;
    std::set<std::string> made;
    const std::string record(500, 'r');
    struct stat st {};
    long bytes = 0, done = 0;
    for (; a < argc; ++a) {
        const std::string from = argv[a];
        bytes += PlainReadTags(argv[a], tag);
        std::string to;
        if (move) {
            const std::string album = Parent(from);
            const std::string artistFolder = dest + "/" + Leaf(Parent(album));
            const std::string albumFolder = artistFolder + "/" + Leaf(album);
            if (made.insert(albumFolder).second) {
                ::mkdir(artistFolder.c_str(), 0777);
                ::mkdir(albumFolder.c_str(), 0777);
            }
            to = albumFolder + "/" + Leaf(from);
        } else {
            to = Parent(from) + "/" + std::to_string(a) + " x.mp3";
        }
        if (journal >= 0) {
            ::lstat(from.c_str(), &st);
            if (move)
                ::lstat(to.c_str(), &st);
            (void)!::write(journal, record.data(), record.size());
        }
        const bool renamed = RenameNoReplace(from, to);
        if (journal >= 0)
            ::lstat(to.c_str(), &st);
        done += renamed ? 1 : 0;
    }
    std::printf("%ld files, %ld bytes read\n", done, bytes);
    return 0;
}
