#include "tools/kavlo/moov_rewrite.h"

#include "platform/byte_writer.h"

namespace kavlo {

namespace {

struct Rewriter {
    const Bytes& image;
    const MoovEdits& edits;
    std::size_t moovOffset;
    platform::BigEndianWriter out;
    std::size_t replaced = 0;

    bool Container(std::size_t offset, std::size_t size)
    {
        // Containers with a 64-bit size field are not rewritten.
        if (FieldU32(image, {offset, size, true}, 0) == 1u)
            return false;
        const std::size_t start = out.size();
        out.u32(0).bytes(&image[offset + 4], 4);
        const std::size_t end = offset + size;
        std::size_t child = offset + 8;
        while (child < end) {
            auto childSize = AtomSizeAt(image, child, end);
            if (!childSize) {
                // QuickTime allows a short terminator at the end of a container.
                if (end - child >= 8)
                    return false;
                out.bytes(&image[child], end - child);
                break;
            }
            if (auto replacement = edits.replacements.find(child); replacement != edits.replacements.end()) {
                out.bytes(replacement->second);
                ++replaced;
            } else if (edits.containers.count(child)) {
                if (!Container(child, *childSize))
                    return false;
            } else if (!(offset == moovOffset && TypeAt(image, child + 4, "udta"))) {
                out.bytes(&image[child], *childSize);
            }
            child += *childSize;
        }
        if (offset == moovOffset)
            out.bytes(edits.udta);
        if (out.size() - start > UINT32_MAX)
            return false;
        out.PatchU32(start, static_cast<uint32_t>(out.size() - start));
        return true;
    }
};

} // namespace

bool RewriteMoov(const Bytes& image, const AtomSlot& moov, const MoovEdits& edits, Bytes& out)
{
    Rewriter rewriter{image, edits, moov.offset, {}, 0};
    if (!rewriter.Container(moov.offset, moov.size) || rewriter.replaced != edits.replacements.size())
        return false;
    const Bytes& written = rewriter.out.data();
    out.insert(out.end(), written.begin(), written.end());
    return true;
}

} // namespace kavlo
