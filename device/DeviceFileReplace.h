// Writing a whole file to the device without ever leaving a cut file under its name.
//
// The data is written to a temporary file beside the target; only once that file is complete and closed
// is the target deleted and the temporary file renamed to it. Any failure before the delete leaves the
// target exactly as it was and removes the temporary file. What remains is the moment between the
// delete and the rename: a failure there leaves the complete new file under the temporary name, and the
// error says so. A library without CeDeleteFile and CeMoveFile, or a path too long for a temporary name
// beside it, gets the file created in place as before (a failure then leaves what was written so far).
//
// Runs inside one open device connection; not thread-safe beyond what the device calls are.
#pragma once

#include <string>

namespace halvern {

class TStream;

// Writes the whole of Source as the device file FileName (GBK), replacing any file of that name. Raises
// the stream layer's errors, naming FileName (the temporary name only where a file is left under it).
void WriteDeviceFileWhole(const std::string& FileName, TStream& Source);

// FileName with ".tmp" appended (the counting program opens its list by name and never takes such a file
// for one), the name shortened at its end where the whole path would pass the device's 259 characters;
// empty when not even one character of the name fits.
std::string TemporaryDeviceName(const std::string& FileName);

}  // namespace halvern
