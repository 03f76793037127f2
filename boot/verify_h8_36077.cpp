// The H8/36077's check after a write: there is none to run.
#include "boot/boot_h8_36077.h"

namespace k470 {

StepResult BootH8_36077::VerifyWrite(const WrittenImage& image, VerifyReport* report,
                                     std::string* note) {
  *report = VerifyReport();
  report->result = VerifyResult::Unavailable;
  report->imageSum = ImageSum(image);
  // The board maker's write-control program knows "S", "A" and "E" only: nothing reads
  // the flash back or sums it.
  *note = "not verified: the H8/36077's write-control program has no sum check or read-back";
  return StepResult::Ok;
}

}  // namespace k470
