// The image I/O library: the part of the command that reads and writes image files, with
// OpenImageIO and the libraries it brings, built as a library of its own that the command loads
// when it first needs it, so commands that touch no image file start without loading them.
#pragma once

#include "cli/image_io.h"
#include "cli/output_file.h"

namespace jf::cli {

/// The functions the library serves, as image_io.h and output_file.h declare them.
struct ImageIoFunctions {
  const char* version;  // the version of the build that made the library
  decltype(&ReadImage) readImage;
  decltype(&ReadTextAttributes) readTextAttributes;
  decltype(&ImageFileDepth) imageFileDepth;
  decltype(&WriteImage) writeImage;
  decltype(&CheckOutputFormat) checkOutputFormat;
  decltype(&DeepestOutputDepth) deepestOutputDepth;
  decltype(&ReadFloatImage) readFloatImage;
  decltype(&OutputFormatName) outputFormatName;
  decltype(&MakeSample) makeSample;
  decltype(&CheckOutputPath) checkOutputPath;
};

/// The name of the one function the library exports: it returns its ImageIoFunctions.
inline constexpr const char* kImageIoEntryName = "jitterforge_image_io_functions";

}  // namespace jf::cli
