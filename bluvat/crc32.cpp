#include "bluvat/crc32.h"

#include "platform/msb_crc.h"

namespace bluvat {

uint32_t Crc32Mpeg2(const uint8_t* data, std::size_t size)
{
    return platform::MsbFirstCrc<uint32_t, 0x04C11DB7u>::Compute(0xFFFFFFFFu, data, size);
}

} // namespace bluvat
