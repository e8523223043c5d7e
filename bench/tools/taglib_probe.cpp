// TagLib's reading of the same six fields, for each file named on the command line: the
// outside baseline of the tag reader.
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <cstdio>

int main(int argc, char** argv) {
    unsigned long chars = 0;
    for (int a = 1; a < argc; ++a) {
        TagLib::FileRef f(argv[a], false);
        if (f.isNull() || f.tag() == nullptr)
            continue;
        const TagLib::Tag* t = f.tag();
        chars += t->title().size() + t->artist().size() + t->album().size() + t->genre().size() +
                 t->year() + t->track();
    }
    std::printf("%lu\n", chars);
    return 0;
}
