#pragma once
// The window's files until the shared file layer has a Windows part: the same
// calls (UTF-8 paths, bytes, a French reason), so the window switches to that
// layer by changing one type.

#include <cstddef>
#include <string>
#include <vector>

namespace korval
{

class Win32FileStore
{
public:
    // At most `maxBytes` of a regular file; anything else is refused unopened.
    bool read(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& data,
              std::string& reason);
    // Writes a file beside the target, flushes it and puts it in its place in
    // one step; a failure leaves the target as it was and no temporary file.
    bool writeAtomically(const std::string& path, const std::vector<unsigned char>& data,
                         std::string& reason);
};

} // namespace korval
