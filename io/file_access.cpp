#include "io/file_access.h"

#include "io/platform.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
std::string systemMessage() { return errno != 0 ? std::string(std::strerror(errno)) : std::string("unknown error"); }
}  // namespace

FileBytes::~FileBytes() { unmapFile(myMapping); }

bool readWholeFile(const std::string &path, FileBytes &bytes, size_t spare, std::string &error)
{
    errno = 0;
    std::error_code code;
    const fs::path file = fs::u8path(path);
    if (fs::is_directory(file, code))
    {
        error = path + ": is a folder, not a file";
        return false;
    }
    unmapFile(bytes.myMapping);
    bytes.myData.reset();
    bytes.mySize = 0;
    const size_t page = memoryPageSize();
    FileMapping mapping;
    if (mapFile(file, mapping))
    {
        // The zeros after the end reach the end of the last page.
        const size_t tail = (page - mapping.size % page) % page;
        if (tail >= spare)
        {
            bytes.myMapping = mapping;
            bytes.mySize = mapping.size;
            return true;
        }
        unmapFile(mapping);
    }
    std::ifstream in(file, std::ios::binary | std::ios::ate);
    if (!in)
    {
        error = path + ": cannot open: " + systemMessage();
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0)
    {
        error = path + ": cannot tell its size";
        return false;
    }
    bytes.myData.reset(new char[size_t(size) + spare]);
    bytes.mySize = size_t(size);
    adviseLargeBuffer(bytes.myData.get(), size_t(size));
    std::memset(bytes.myData.get() + size, 0, spare);
    in.seekg(0);
    if (size > 0 && !in.read(bytes.myData.get(), size))
    {
        error = path + ": read failed: " + systemMessage();
        return false;
    }
    return true;
}

AtomicFile::AtomicFile(const std::string &path) : myPath(path) {}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::discard()
{
    if (!myOpen)
        return;
    myStream.close();
    std::error_code ignored;
    fs::remove(myTemporary, ignored);
    myOpen = false;
}

bool AtomicFile::open(std::string &error)
{
    discard();
    myTemporary = temporaryPathBeside(fs::u8path(myPath));
    errno = 0;
    myStream.open(myTemporary, std::ios::binary | std::ios::trunc);
    if (!myStream)
    {
        error = myPath + ": cannot create a file in its folder: " + systemMessage();
        return false;
    }
    myOpen = true;
    return true;
}

bool AtomicFile::write(std::string_view data)
{
    if (!myOpen || !myStream)
        return false;
    myStream.write(data.data(), std::streamsize(data.size()));
    return bool(myStream);
}

bool AtomicFile::commit(std::string &error)
{
    if (!myOpen)
    {
        error = myPath + ": the file was not opened";
        return false;
    }
    errno = 0;
    myStream.close();
    if (!myStream)
    {
        error = myPath + ": write failed: " + systemMessage();
        discard();
        return false;
    }
    std::string reason;
    if (!replaceFile(myTemporary, fs::u8path(myPath), reason))
    {
        error = myPath + ": cannot replace the file: " + reason;
        discard();
        return false;
    }
    myOpen = false;
    return true;
}

bool writeFileAtomically(const std::string &path, std::string_view data, std::string &error)
{
    AtomicFile file(path);
    if (!file.open(error))
        return false;
    if (!file.write(data))
    {
        error = path + ": write failed: " + systemMessage();
        return false;
    }
    return file.commit(error);
}
