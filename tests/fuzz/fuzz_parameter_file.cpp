// Any bytes of any length opened as a parameter file, then saved: each byte
// the file holds takes its place of the 61-byte layout, the places past a
// short file keep what was there, and bytes past offset 60 are ignored.

#include "config/config_record.h"
#include "config/parameter_file.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>

using namespace korval;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ConfigRecord record;
    DriveParameters drive;
    loadFactoryDefaults(record, drive);
    const ParameterFileBytes before = serializeParameterFile(record, drive);

    applyParameterFile(data, size, record, drive);
    const ParameterFileBytes written = serializeParameterFile(record, drive);
    for (std::size_t at = 0; at < kParameterFileSize; ++at)
        FUZZ_CHECK(written[at] == (at < size ? data[at] : before[at]));

    // What was written opens again to the same values, a NaN's bits included.
    ConfigRecord again;
    DriveParameters againDrive;
    applyParameterFile(written.data(), written.size(), again, againDrive);
    FUZZ_CHECK(serializeParameterFile(again, againDrive) == written);
    return 0;
}
