#pragma once
// monture --derive: the file's own DureeTour corrected from a drift measured on
// the sky. Standard types only; the caller lends its way of reading and
// writing parameter files.

#include "config/config_record.h"

#include <functional>
#include <string>
#include <vector>

namespace cli
{

struct CalibrationFiles {
    // A 61-byte .kv2 file into the record and the drive; false and why otherwise.
    std::function<bool(const std::string& path, korval::ConfigRecord& record,
                       korval::DriveParameters& drive, std::string& message)>
        read;
    // The .kv2 file and its .hex beside it, as the window's Save writes them.
    std::function<bool(const std::string& path, const korval::ConfigRecord& record,
                       const korval::DriveParameters& drive, std::string& message)>
        save;
};

// The verb's arguments (UTF-8), from the first after "monture"; the exit status.
int runMontureCalibration(const std::vector<std::string>& arguments, const CalibrationFiles& files);

// The help's lines for the calibration, appended to monture's own.
extern const char* const kMontureCalibrationHelp;

} // namespace cli
