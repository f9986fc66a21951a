// image_io.h (and the output checks of output_file.h) for builds without OpenImageIO: the
// raw-frame stream, parameters, presets and the About text work; anything that reads or writes
// an image file says it cannot.
#include "cli/image_io.h"
#include "cli/output_file.h"

namespace jf::cli {
namespace {

[[noreturn]] void NoImageIo() {
  throw CliError("this build has no image I/O (use the stream command for raw frames)", 2);
}

}  // namespace

HostImage ReadImage(const std::string&, int, std::uint64_t) {
  NoImageIo();
}

std::vector<std::string> ReadTextAttributes(const std::string&, const std::vector<std::string>&) {
  NoImageIo();
}

int ImageFileDepth(const std::string&) {
  NoImageIo();
}

void WriteImage(const std::string&, const HostImage&, const std::map<std::string, std::string>&) {
  NoImageIo();
}

int DeepestOutputDepth(const std::string&) {
  NoImageIo();
}

void CheckOutputFormat(const std::string&, int) {
  NoImageIo();
}

FloatImage ReadFloatImage(const std::string&, int, const std::string&) {
  NoImageIo();
}

// Outputs are image files, which this build never writes.
void CheckOutputPath(const std::string&, const std::vector<std::string>&) {
  NoImageIo();
}

std::string OutputFormatName(const std::string&) {
  return {};
}

// The sample exists to be written to a file, which this build cannot do.
HostImage MakeSample(int, int, int) {
  NoImageIo();
}

}  // namespace jf::cli
