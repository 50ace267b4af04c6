// Reading whole files and replacing files atomically.
//
// Paths are UTF-8 strings on every platform. A written file first goes to a
// temporary file in the target's own folder (so the final rename never
// crosses file systems) and is renamed over the target only after every byte
// was written; on any failure the temporary file is removed and the target
// is left as it was. The platform-specific parts (the temporary name and the
// replacing rename) live in io/platform.h.
#pragma once

#include "io/platform.h"

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

// The bytes of a whole file, followed by `spare` zero bytes that parsers
// reading ahead in blocks may touch. Where the zeros the system puts after a
// mapped file's end are enough, the file is mapped (io/platform.h) and no
// byte is copied; otherwise it is read into a buffer that is not cleared
// first: on large files that pass would cost as much as the read itself.
class FileBytes
{
public:
    FileBytes() = default;
    ~FileBytes();
    FileBytes(const FileBytes &) = delete;
    FileBytes &operator=(const FileBytes &) = delete;

    const char *data() const { return myMapping.data ? myMapping.data : myData.get(); }
    size_t size() const { return mySize; }
    std::string_view view() const { return std::string_view(data(), mySize); }
    bool mapped() const { return myMapping.data != nullptr; }

private:
    friend bool readWholeFile(const std::string &, FileBytes &, size_t, std::string &);
    std::unique_ptr<char[]> myData;
    FileMapping myMapping;
    size_t mySize = 0;
};

// Reads the whole file at path. On failure returns false and sets `error` to
// a message naming the path.
bool readWholeFile(const std::string &path, FileBytes &bytes, size_t spare, std::string &error);

// A file written through a temporary file beside its target (see above).
// Unless commit() succeeds, the destructor removes the temporary file and the
// target stays as it was.
class AtomicFile
{
public:
    explicit AtomicFile(const std::string &path);
    ~AtomicFile();
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Creates the temporary file; false with error set when it cannot.
    bool open(std::string &error);
    // Appends data; false once any write has failed.
    bool write(std::string_view data);
    // Closes the temporary file and renames it over the target.
    bool commit(std::string &error);

private:
    void discard();

    std::string myPath;
    std::filesystem::path myTemporary;
    std::ofstream myStream;
    bool myOpen = false;
};

// Writes data to path through an AtomicFile.
bool writeFileAtomically(const std::string &path, std::string_view data, std::string &error);
