#include "parameter_file.h"

#include <algorithm>

namespace korval
{

namespace
{
void putU32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getU32(const std::uint8_t* at)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | at[i];
    return value;
}
} // namespace

ParameterFileBytes serializeParameterFile(const ConfigRecord& current, const DriveParameters& drive)
{
    ParameterFileBytes out{};
    std::copy(current.bytes().begin(), current.bytes().end(), out.begin());
    putU32(&out[49], drive.FrequenceQuartz);
    putU32(&out[53], drive.PasParTour);
    putU32(&out[57], floatBits(drive.DureeTour));
    return out;
}

void applyParameterFile(const std::uint8_t* data, std::size_t size, ConfigRecord& reference,
                        DriveParameters& drive)
{
    // Start from what is held now, so a short file only replaces its own bytes.
    ParameterFileBytes layout = serializeParameterFile(reference, drive);
    std::copy_n(data, std::min(size, kParameterFileSize), layout.begin());
    std::copy_n(layout.begin(), kRecordSize, reference.bytes().begin());
    drive.FrequenceQuartz = getU32(&layout[49]);
    drive.PasParTour = getU32(&layout[53]);
    drive.DureeTour = floatFromBits(getU32(&layout[57]));
}

std::string replaceExtension(const std::string& path, const std::string& extension)
{
    const std::size_t separator = path.find_last_of("/\\:");
    const std::size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && dot >= nameStart) return path.substr(0, dot) + extension;
    return path + extension;
}

} // namespace korval
