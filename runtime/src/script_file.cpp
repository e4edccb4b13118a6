#include "script_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kd508 {

namespace {

#ifdef _WIN32

// Windows never blocks on opening a named pipe or a device the way a POSIX FIFO does, so the
// descriptor is opened plainly and then checked.
int open_descriptor(const char* name, ScriptFileDirection direction) {
    return direction == ScriptFileDirection::reading
               ? _open(name, _O_RDONLY | _O_BINARY)
               : _open(name, _O_WRONLY | _O_CREAT | _O_TEXT, _S_IREAD | _S_IWRITE);
}

bool is_regular(int descriptor) {
    struct _stat64 status {};
    return _fstat64(descriptor, &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFREG;
}

bool empty_file(int descriptor) { return _chsize_s(descriptor, 0) == 0; }

void close_descriptor(int descriptor) { _close(descriptor); }

std::FILE* stream_of(int descriptor, ScriptFileDirection direction) {
    return _fdopen(descriptor, direction == ScriptFileDirection::reading ? "rb" : "wt");
}

#else

// O_NONBLOCK keeps the open of a FIFO from waiting for its other end; O_TRUNC is left out so
// that nothing is emptied before the file is known to be regular.
int open_descriptor(const char* name, ScriptFileDirection direction) {
    const int flags = direction == ScriptFileDirection::reading ? O_RDONLY : (O_WRONLY | O_CREAT);
    return ::open(name, flags | O_NONBLOCK | O_CLOEXEC, 0666);
}

bool is_regular(int descriptor) {
    struct stat status {};
    return ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode);
}

bool empty_file(int descriptor) { return ::ftruncate(descriptor, 0) == 0; }

void close_descriptor(int descriptor) { ::close(descriptor); }

// The stream does not keep O_NONBLOCK: it was needed only for the open.
std::FILE* stream_of(int descriptor, ScriptFileDirection direction) {
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags == -1 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) == -1) return nullptr;
    return ::fdopen(descriptor, direction == ScriptFileDirection::reading ? "rb" : "w");
}

#endif

}  // namespace

std::FILE* open_regular_script_file(const char* name, ScriptFileDirection direction) {
    const int descriptor = open_descriptor(name, direction);
    if (descriptor < 0) return nullptr;
    const bool usable =
        is_regular(descriptor) && (direction == ScriptFileDirection::reading || empty_file(descriptor));
    std::FILE* stream = usable ? stream_of(descriptor, direction) : nullptr;
    if (!stream) close_descriptor(descriptor);
    return stream;
}

}  // namespace kd508
