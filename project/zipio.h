#pragma once
// The archive file under minizip: stdio over an open descriptor that keeps
// the first errno (minizip's return codes do not say why), and the zip64
// end records minizip 1.1 leaves out.
#include <minizip/ioapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/types.h>

namespace kep::zipio {

struct TArchiveFile {
    int Fd = -1;
    std::FILE* File = nullptr;
    int Error = 0;

    void Note();
};

// minizip's file functions over `file`, whose Fd is set.
zlib_filefunc64_def Functions(TArchiveFile* file);

// With 65,535 entries or more: the zip64 end records put in before the end
// record of the archive at `path`. 0 or an errno.
int AddZip64End(const std::string& path, std::uint64_t entries);

// The process's umask, read without changing it.
mode_t CurrentUmask();

} // namespace kep::zipio
