// The image I/O library's one entry: its table of the functions image_io.cpp,
// image_io_oiio.cpp and output_file.cpp define.
#include "cli/image_io_library.h"

// The only symbol the library exports (image_io_library.map).
extern "C" const jf::cli::ImageIoFunctions* jitterforge_image_io_functions() {
  using namespace jf::cli;
  static const ImageIoFunctions functions{JF_VERSION,          &ReadImage,      &ReadTextAttributes,
                                          &ImageFileDepth,     &WriteImage,     &CheckOutputFormat,
                                          &DeepestOutputDepth, &ReadFloatImage, &OutputFormatName,
                                          &MakeSample,         &CheckOutputPath};
  return &functions;
}
