#include "bluvat/readers/psi.h"

#include "bluvat/readers/language_code.h"
#include "bluvat/report.h"
#include "platform/byte_writer.h"

#include <string_view>

namespace bluvat {

namespace {
constexpr uint8_t kLanguageTag = 0x0A, kRegistrationTag = 0x05, kAc3Tag = 0x6A, kEac3Tag = 0x7A;

// Calls visit(tag, data, length) for each descriptor of a checked loop.
template <typename Visit>
void ForEachDescriptor(const std::vector<uint8_t>& d, Visit visit)
{
    for (std::size_t at = 0; at + 2 <= d.size() && at + 2 + d[at + 1] <= d.size(); at += 2 + d[at + 1])
        visit(d[at], d.data() + at + 2, std::size_t(d[at + 1]));
}

// The language the map names, and the disc's type for Dolby audio that other systems type their
// own way (0x87 with an "EAC3" registration, or private data with a DVB AC-3 or E-AC-3 descriptor).
// A re-typed stream gets the disc's own descriptors from the attribute scan.
void AdoptDiscConventions(ProgramEntry& e)
{
    uint8_t dolby = 0;
    ForEachDescriptor(e.descriptors, [&](uint8_t tag, const uint8_t* data, std::size_t n) {
        if (tag == kLanguageTag && n >= 3 && e.language.empty())
            e.language = DiscLanguage(std::string_view(reinterpret_cast<const char*>(data), 3));
        else if (tag == kRegistrationTag && n >= 4 &&
                 std::string_view(reinterpret_cast<const char*>(data), 4) == "EAC3")
            dolby = 0x84;
        else if (tag == kEac3Tag)
            dolby = 0x84;
        else if (tag == kAc3Tag && dolby == 0)
            dolby = 0x81;
    });
    if (e.streamType == 0x87 || (e.streamType == 0x06 && dolby != 0)) {
        e.streamType = e.streamType == 0x87 ? 0x84 : dolby;
        e.descriptors.clear();
    }
}
} // namespace

std::size_t SectionTotalLength(const uint8_t* section, std::size_t size)
{
    if (size < 3)
        return 0;
    return 3 + ((std::size_t(section[1] & 0x0F) << 8) | section[2]);
}

bool CheckDescriptors(const uint8_t* data, std::size_t size)
{
    std::size_t at = 0;
    while (at < size) {
        if (size - at < 2 || data[at + 1] > size - at - 2) {
            ReportError("Invalid descriptor");
            return false;
        }
        at += 2 + data[at + 1];
    }
    return true;
}

bool CheckDtcpDescriptor(const uint8_t* data, std::size_t size)
{
    if (size < 6) {
        ReportError("Invalid DTCP descriptor");
        return false;
    }
    if (data[0] != 0x88) {
        ReportError("Invalid DTCP descriptor tag");
        return false;
    }
    if (data[1] < 4) {
        ReportError("Invalid DTCP descriptor length");
        return false;
    }
    if (data[2] != 0x0F || data[3] != 0xFF) {
        ReportError("Invalid DTCP descriptor CA system ID");
        return false;
    }
    return true;
}

bool ParsePat(const uint8_t* section, std::size_t size, uint16_t pid, std::vector<ProgramRef>& programs)
{
    if (size < 1 || section[0] != 0x00) {
        ReportError("packet does not contain a valid PAT table ID");
        return false;
    }
    if (pid != 0) {
        ReportError("packet does not contain a valid PAT PID");
        return false;
    }
    std::size_t total = SectionTotalLength(section, size);
    if (total < 12 || total > size) {
        ReportError("program data too short");
        return false;
    }
    // Programs lie between the 8-byte head and the CRC.
    for (std::size_t at = 8; at < total - 4; at += 4) {
        if (total - 4 - at < 4) {
            ReportError("program data too short");
            break;
        }
        platform::BigEndianReader r(section + at, 4);
        ProgramRef ref;
        ref.number = static_cast<uint16_t>(r.u16());
        ref.pid = static_cast<uint16_t>(r.u16() & 0x1FFF);
        programs.push_back(ref);
    }
    if (programs.empty())
        ReportError("program data is null");
    return !programs.empty();
}

bool ParsePmt(const uint8_t* section, std::size_t size, ProgramMap& map)
{
    if (size < 1 || section[0] != 0x02) {
        ReportError("packet does not contain a valid PMT table ID");
        return false;
    }
    std::size_t total = SectionTotalLength(section, size);
    if (total < 16 || total > size) {
        ReportError("stream data too short");
        return false;
    }
    platform::BigEndianReader r(section, total - 4);
    r.skip(8);
    map.pcrPid = static_cast<uint16_t>(r.u16() & 0x1FFF);
    std::size_t infoLength = r.u16() & 0x0FFF;
    if (infoLength > r.remaining()) {
        ReportError("descriptors data too long");
        return false;
    }
    const uint8_t* info = r.here();
    if (infoLength > 0 && CheckDescriptors(info, infoLength)) {
        for (std::size_t at = 0; at < infoLength; at += 2 + info[at + 1])
            if (info[at] == 0x88 && CheckDtcpDescriptor(info + at, infoLength - at))
                map.dtcp.assign(info + at, info + at + 2 + info[at + 1]);
    }
    r.skip(infoLength);
    while (r.remaining() > 0) {
        if (r.remaining() < 5) {
            ReportError("stream data too short");
            break;
        }
        ProgramEntry e;
        e.streamType = static_cast<uint8_t>(r.u8());
        e.pid = static_cast<uint16_t>(r.u16() & 0x1FFF);
        std::size_t esInfo = r.u16() & 0x0FFF;
        if (esInfo > 188) {
            ReportError("descriptors data too long");
            break;
        }
        if (esInfo > r.remaining()) {
            ReportError("Invalid descriptor");
            break;
        }
        if (CheckDescriptors(r.here(), esInfo))
            e.descriptors.assign(r.here(), r.here() + esInfo);
        r.skip(esInfo);
        AdoptDiscConventions(e);
        map.entries.push_back(std::move(e));
    }
    return true;
}

} // namespace bluvat
