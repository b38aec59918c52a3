#include "config_record.h"

#include <cstring>

namespace korval
{

std::uint16_t ConfigRecord::u16(std::size_t at) const
{
    return static_cast<std::uint16_t>(m_bytes.at(at) | (m_bytes.at(at + 1) << 8));
}

void ConfigRecord::setU16(std::size_t at, std::uint16_t value)
{
    m_bytes.at(at) = static_cast<std::uint8_t>(value & 0xFF);
    m_bytes.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t ConfigRecord::u32(std::size_t at) const
{
    return static_cast<std::uint32_t>(u16(at)) | (static_cast<std::uint32_t>(u16(at + 2)) << 16);
}

void ConfigRecord::setU32(std::size_t at, std::uint32_t value)
{
    setU16(at, static_cast<std::uint16_t>(value & 0xFFFF));
    setU16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t floatBits(float value)
{
    static_assert(sizeof(float) == 4, "float must be the 32-bit IEEE format");
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

float floatFromBits(std::uint32_t bits)
{
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

float defaultDureeTour()
{
    return floatFromBits(kDefaultDureeTourBits);
}

ConfigRecord factoryDefaultRecord()
{
    ConfigRecord r;
    r.setU16(offset::MarqueDebut, kMarqueDebut);
    r.setPeriodeTimer(708279);
    static const std::uint8_t levels[kLevelCount] = {33, 16, 8, 6, 4, 2, 1};
    for (Axis axis : {Axis::De, Axis::AD, Axis::Foc}) {
        r.setU8(levelOffset(axis, 0), 0);
        for (int level = 1; level <= kLevelCount; ++level)
            r.setLevel(axis, level, levels[level - 1]);
    }
    r.setJeuAD(100);
    r.setJeuDe(100);
    r.setMaintienFoc(5);
    r.setPasParTranche(45);
    r.setTranchePec(0);
    static const std::uint8_t pwm[kPwmCount] = {134, 147, 157, 167, 179, 161, 205, 224, 247};
    for (int entry = 0; entry < kPwmCount; ++entry)
        r.setPwm(entry, pwm[entry]);
    r.setU16(offset::MarqueFin, kMarqueFin);
    return r;
}

void loadFactoryDefaults(ConfigRecord& reference, DriveParameters& drive)
{
    reference = factoryDefaultRecord();
    drive.FrequenceQuartz = kDefaultFrequenceQuartz;
    drive.PasParTour = kDefaultPasParTour;
    drive.DureeTour = defaultDureeTour();
}

} // namespace korval
