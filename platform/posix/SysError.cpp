// Texts of the Win32 error codes a device transfer can meet, as the system's English message table
// gives them, so that messages read the same on every platform. Unknown codes get a neutral text.
#include "platform/SysError.h"

#include <cstdio>

namespace halvern::platform {
namespace {

struct TErrorText {
  uint32_t Code;
  const char* Text;
};

constexpr TErrorText ErrorTexts[] = {
    {0, "The operation completed successfully."},
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {4, "The system cannot open the file."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {14, "Not enough memory resources are available to complete this operation."},
    {15, "The system cannot find the drive specified."},
    {18, "There are no more files."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {23, "Data error (cyclic redundancy check)."},
    {29, "The system cannot write to the specified device."},
    {30, "The system cannot read from the specified device."},
    {31, "A device attached to the system is not functioning."},
    {32, "The process cannot access the file because it is being used by another process."},
    {33, "The process cannot access the file because another process has locked a portion of the file."},
    {38, "Reached the end of the file."},
    {39, "The disk is full."},
    {50, "The request is not supported."},
    {53, "The network path was not found."},
    {80, "The file exists."},
    {87, "The parameter is incorrect."},
    {111, "The file name is too long."},
    {112, "There is not enough space on the disk."},
    {122, "The data area passed to a system call is too small."},
    {123, "The filename, directory name, or volume label syntax is incorrect."},
    {126, "The specified module could not be found."},
    {127, "The specified procedure could not be found."},
    {131, "An attempt was made to move the file pointer before the beginning of the file."},
    {145, "The directory is not empty."},
    {183, "Cannot create a file when that file already exists."},
    {206, "The filename or extension is too long."},
    {267, "The directory name is invalid."},
    {995, "The I/O operation has been aborted because of either a thread exit or an application request."},
    {1167, "The device is not connected."},
    {1168, "Element not found."},
    {1460, "This operation returned because the timeout period expired."},
};

}  // namespace

std::string SystemErrorText(uint32_t Code) {
  for (const TErrorText& E : ErrorTexts) {
    if (E.Code == Code) return E.Text;
  }
  char Buffer[40];
  std::snprintf(Buffer, sizeof Buffer, "Unknown error (0x%x)", static_cast<unsigned>(Code));
  return Buffer;
}

}  // namespace halvern::platform
