#include "font/face_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cerrno>

namespace kd508::font {
namespace {

// A face reads its file through a descriptor of its own instead of mapping the whole file, as
// FreeType does when given a path. With a mapping, every table and glyph the face touches brings
// the pages around it into the process, and a face's lookups are scattered over the file: the
// default face held about half its file resident for a few dozen glyphs. Read this way, FreeType
// keeps copies of the few tables it looks into on every call (character map, kerning, hinting
// programs) and reads a glyph's outline when the glyph is first drawn at a size, after which the
// sized font keeps the glyph.
struct FaceFile {
    FT_StreamRec stream{};
    int descriptor = -1;
};

unsigned long read_face_file(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
    // A count of 0 is FreeType's seek: 0 says the position lies within the file, its end
    // included, as FreeType's own streams allow.
    if (count == 0) return offset <= stream->size ? 0 : 1;
    const auto* file = static_cast<const FaceFile*>(stream->descriptor.pointer);
    unsigned long done = 0;
    while (done < count) {
        const ssize_t got = pread(file->descriptor, buffer + done, count - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<unsigned long>(got);
    }
    return done;
}

// FreeType calls this when the face is done with, and when opening the face failed.
void close_face_file(FT_Stream stream) {
    auto* file = static_cast<FaceFile*>(stream->descriptor.pointer);
    close(file->descriptor);
    delete file;
}

}  // namespace

FT_Face open_face_file(FT_Library freetype, const std::string& path, int index) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return nullptr;
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) {
        close(descriptor);
        return nullptr;
    }
    auto* opened = new FaceFile;
    opened->descriptor = descriptor;
    opened->stream.size = static_cast<unsigned long>(status.st_size);
    opened->stream.descriptor.pointer = opened;
    opened->stream.read = read_face_file;
    opened->stream.close = close_face_file;
    FT_Open_Args arguments{};
    arguments.flags = FT_OPEN_STREAM;
    arguments.stream = &opened->stream;
    FT_Face handle = nullptr;
    if (FT_Open_Face(freetype, &arguments, index, &handle) != 0) return nullptr;
    return handle;
}

}  // namespace kd508::font
