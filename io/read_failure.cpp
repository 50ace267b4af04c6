#include "io/read_failure.h"

#include <exception>
#include <new>

bool loadInputFile(const std::string &path, FileBytes &bytes, size_t spare, IoResult &result)
{
    try
    {
        std::string error;
        if (readWholeFile(path, bytes, spare, error))
            return true;
        result.message = error;
    }
    catch (...)
    {
        result.message = readFailureMessage(path);
    }
    return false;
}

std::string readFailureMessage(const std::string &name)
{
    try
    {
        throw;
    }
    catch (const std::bad_alloc &)
    {
        return name + ": out of memory while reading";
    }
    catch (const std::exception &error)
    {
        return name + ": " + error.what();
    }
    catch (...)
    {
        return name + ": unknown failure while reading";
    }
}
