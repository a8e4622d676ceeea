#pragma once
// Writes the image front to back in one pass.

#include <cstdint>

#include "nx_udf/nx_udf.h"
#include "nx_udf/udf_descriptors.h"
#include "nx_udf/udf_layout.h"
#include "platform/raw_file.h"

namespace nx_udf {

// Whether every byte reached the file (the output records its own failure) and every source file
// was read whole at the size the layout gave it.
bool WriteImage(const UdfTreeEntry& root, const UdfLayout& layout, const VolumeFacts& volume,
                platform::RawOutputFile& out, UdfProgressCallback progress);

} // namespace nx_udf
