// image_io.h and output_file.h for the command: each call goes to the image I/O library
// (image_io_library.h), loaded at the first one.
#include <string>

#include "cli/image_io_library.h"
#include "cli/session.h"
#include "headless/module.h"
#include "headless/platform.h"

namespace jf::cli {
namespace {

const ImageIoFunctions& Library() {
  static const ImageIoFunctions* functions = [] {
    const std::string path =
        FindBesideProgram(JF_IMAGE_IO_FILE_NAME, JF_DEFAULT_IMAGE_IO, JF_INSTALLED_IMAGE_IO);
    try {
      // Never unloaded: what it made (images, errors) may outlive any one call.
      void* library = headless::platform::LoadCode(path);
      using Entry = const ImageIoFunctions* (*)();
      auto entry =
          reinterpret_cast<Entry>(headless::platform::FindExport(library, kImageIoEntryName));
      const ImageIoFunctions* table = entry != nullptr ? entry() : nullptr;
      if (table == nullptr || std::string(table->version) != JF_VERSION) {
        throw headless::ModuleError(path + ": not the image I/O library of jitterforge " +
                                    JF_VERSION);
      }
      return table;
    } catch (const headless::ModuleError& e) {
      throw CliError(std::string("image files cannot be read or written: ") + e.what(), 2);
    }
  }();
  return *functions;
}

}  // namespace

HostImage ReadImage(const std::string& path, int depth, std::uint64_t maxPixels) {
  return Library().readImage(path, depth, maxPixels);
}

std::vector<std::string> ReadTextAttributes(const std::string& path,
                                            const std::vector<std::string>& names) {
  return Library().readTextAttributes(path, names);
}

int ImageFileDepth(const std::string& path) {
  return Library().imageFileDepth(path);
}

void WriteImage(const std::string& path, const HostImage& image,
                const std::map<std::string, std::string>& metadata) {
  Library().writeImage(path, image, metadata);
}

void CheckOutputFormat(const std::string& path, int depth) {
  Library().checkOutputFormat(path, depth);
}

int DeepestOutputDepth(const std::string& path) {
  return Library().deepestOutputDepth(path);
}

FloatImage ReadFloatImage(const std::string& path, int maxChannels, const std::string& what) {
  return Library().readFloatImage(path, maxChannels, what);
}

std::string OutputFormatName(const std::string& path) {
  return Library().outputFormatName(path);
}

HostImage MakeSample(int depth, int width, int height) {
  return Library().makeSample(depth, width, height);
}

void CheckOutputPath(const std::string& path, const std::vector<std::string>& inputs) {
  Library().checkOutputPath(path, inputs);
}

}  // namespace jf::cli
