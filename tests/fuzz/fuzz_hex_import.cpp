// The HEX image reader on any text: it never crashes, a refusal changes
// nothing and says why, and an accepted table written back by the HEX writer
// reads again to the same 49 bytes.

#include "config/config_record.h"
#include "config/intel_hex.h"
#include "config/intel_hex_reader.h"
#include "fuzz_check.h"

#include <cstdint>
#include <string>

using namespace korval;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ConfigRecord record = factoryDefaultRecord();
    record.setJeuAD(0x1234); // not the defaults: a refusal must keep exactly this
    const ConfigRecord before = record;
    std::string error;
    if (!readHexImage(text, record, error)) {
        FUZZ_CHECK(record == before);
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(record.MarqueDebut() == kMarqueDebut && record.MarqueFin() == kMarqueFin);

    ConfigRecord again;
    std::string againError;
    FUZZ_CHECK(readHexImage(exportHexText(record).text, again, againError));
    FUZZ_CHECK(again == record);
    return 0;
}
