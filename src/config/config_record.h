#pragma once
// The 49-byte configuration table that the KORVAL 2.4 controller reads at
// 0x7C00, and the drive parameters that travel beside it in a .kv2 file.

#include <array>
#include <cstddef>
#include <cstdint>

namespace korval
{

constexpr std::size_t kRecordSize = 49;

// The three drives. The record keeps their level tables in the order De, AD,
// Foc; the window shows them as AD, De, Foc.
enum class Axis { AD, De, Foc };

// Byte offsets of the fields. Multi-byte fields are little-endian and two of
// them start at odd offsets, so the record is a plain byte array.
namespace offset
{
constexpr std::size_t MarqueDebut = 0;
constexpr std::size_t PeriodeTimer = 2;
constexpr std::size_t V0De = 6;
constexpr std::size_t V0AD = 14;
constexpr std::size_t V0Foc = 22;
constexpr std::size_t JeuAD = 30;
constexpr std::size_t JeuDe = 32;
constexpr std::size_t MaintienFoc = 34;
constexpr std::size_t PasParTranche = 35;
constexpr std::size_t TranchePec = 37;
constexpr std::size_t Pwm0 = 38;
constexpr std::size_t MarqueFin = 47;
} // namespace offset

constexpr std::uint16_t kMarqueDebut = 0x2345;
constexpr std::uint16_t kMarqueFin = 0xBCDE;
constexpr int kLevelCount = 7; // V1 .. V7
constexpr int kPwmCount = 9;   // Pwm0 .. Pwm8

// Offset of level V<level> (1..7; 0 is the unused entry 0) of a drive.
constexpr std::size_t levelOffset(Axis axis, int level)
{
    return (axis == Axis::De   ? offset::V0De
            : axis == Axis::AD ? offset::V0AD
                               : offset::V0Foc) +
           static_cast<std::size_t>(level);
}

class ConfigRecord
{
public:
    using Bytes = std::array<std::uint8_t, kRecordSize>;

    ConfigRecord() = default;
    explicit ConfigRecord(const Bytes& bytes) : m_bytes(bytes) {}

    const Bytes& bytes() const { return m_bytes; }
    Bytes& bytes() { return m_bytes; }

    std::uint8_t u8(std::size_t at) const { return m_bytes.at(at); }
    void setU8(std::size_t at, std::uint8_t value) { m_bytes.at(at) = value; }
    std::uint16_t u16(std::size_t at) const;
    void setU16(std::size_t at, std::uint16_t value);
    std::uint32_t u32(std::size_t at) const;
    void setU32(std::size_t at, std::uint32_t value);

    std::uint16_t MarqueDebut() const { return u16(offset::MarqueDebut); }
    std::uint16_t MarqueFin() const { return u16(offset::MarqueFin); }
    std::uint32_t PeriodeTimer() const { return u32(offset::PeriodeTimer); }
    void setPeriodeTimer(std::uint32_t v) { setU32(offset::PeriodeTimer, v); }
    std::uint16_t JeuAD() const { return u16(offset::JeuAD); }
    void setJeuAD(std::uint16_t v) { setU16(offset::JeuAD, v); }
    std::uint16_t JeuDe() const { return u16(offset::JeuDe); }
    void setJeuDe(std::uint16_t v) { setU16(offset::JeuDe, v); }
    std::uint8_t MaintienFoc() const { return u8(offset::MaintienFoc); }
    void setMaintienFoc(std::uint8_t v) { setU8(offset::MaintienFoc, v); }
    std::uint16_t PasParTranche() const { return u16(offset::PasParTranche); }
    void setPasParTranche(std::uint16_t v) { setU16(offset::PasParTranche, v); }
    std::uint8_t TranchePec() const { return u8(offset::TranchePec); }
    void setTranchePec(std::uint8_t v) { setU8(offset::TranchePec, v); }
    std::uint8_t Pwm(int entry) const { return u8(offset::Pwm0 + static_cast<std::size_t>(entry)); }
    void setPwm(int entry, std::uint8_t v)
    {
        setU8(offset::Pwm0 + static_cast<std::size_t>(entry), v);
    }
    std::uint8_t level(Axis axis, int level) const { return u8(levelOffset(axis, level)); }
    void setLevel(Axis axis, int level, std::uint8_t v) { setU8(levelOffset(axis, level), v); }

    friend bool operator==(const ConfigRecord& a, const ConfigRecord& b)
    {
        return a.m_bytes == b.m_bytes;
    }
    friend bool operator!=(const ConfigRecord& a, const ConfigRecord& b) { return !(a == b); }

private:
    Bytes m_bytes{};
};

// Tool-side quantities from which the interrupt period is worked out. PerPas is
// a working value: never saved, recomputed by each user before it reads it.
struct DriveParameters {
    std::uint32_t FrequenceQuartz = 0; // Hz
    std::uint32_t PasParTour = 0;      // motor steps per worm turn
    float DureeTour = 0.0f;            // seconds per worm turn
    float PerPas = 0.0f;               // time per step (unit depends on its user)
};

// Speed level byte of AD and De: bits 0-6 count interrupts, bit 7 is the
// half-step flag. Focuser levels use all eight bits as the count.
constexpr std::uint8_t kHalfStepFlag = 0x80;
constexpr std::uint8_t levelCount(std::uint8_t byte)
{
    return byte & 0x7F;
}
constexpr bool halfStep(std::uint8_t byte)
{
    return (byte & kHalfStepFlag) != 0;
}
// Low eight bits of the entered count, then the flag OR-ed into bit 7.
constexpr std::uint8_t composeLevel(std::int32_t count, bool flag)
{
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(count) & 0xFFu) |
                                     (flag ? kHalfStepFlag : 0u));
}

constexpr std::uint32_t kDefaultFrequenceQuartz = 14745600;
constexpr std::uint32_t kDefaultPasParTour = 25600;
constexpr std::uint32_t kDefaultDureeTourBits = 0x44159728; // 598.36181640625 f

ConfigRecord factoryDefaultRecord();
float defaultDureeTour();

// Writes the factory record into the reference record and the factory
// FrequenceQuartz, PasParTour and DureeTour; PerPas is left alone.
void loadFactoryDefaults(ConfigRecord& reference, DriveParameters& drive);

// The one-piece copy that ends an activation.
inline void copyReferenceToCurrent(const ConfigRecord& reference, ConfigRecord& current)
{
    current = reference;
}

std::uint32_t floatBits(float value);
float floatFromBits(std::uint32_t bits);

} // namespace korval
