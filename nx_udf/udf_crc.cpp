#include "nx_udf/udf_crc.h"

#include "platform/msb_crc.h"

namespace nx_udf {

uint16_t Crc16(const uint8_t* data, std::size_t size)
{
    return platform::MsbFirstCrc<uint16_t, 0x1021>::Compute(0, data, size);
}

} // namespace nx_udf
