// nx_udf's name and label encoding on any bytes: UTF-8 decoding, file identifiers and the volume
// label in every descriptor that carries it. What is written must decode back to the name, or to
// the label's leading characters.

#include "tests/fuzz/fuzz_target.h"

#include "nx_udf/udf_descriptors.h"
#include "nx_udf/udf_text.h"
#include "tests/nx_udf/udf_image_reader.h"

#include <string_view>

namespace {

// The characters of an OSTA compressed Unicode field, read independently of the writer.
std::u32string Uncompressed(const uint8_t* field, std::size_t length)
{
    std::u32string text;
    if (length == 0)
        return text;
    if (field[0] == 8) {
        for (std::size_t i = 1; i < length; ++i)
            text.push_back(field[i]);
        return text;
    }
    if (field[0] != 16 || length % 2 == 0)
        fuzz::Broken("a compressed Unicode field has a bad compression ID or length");
    for (std::size_t i = 1; i + 1 < length; i += 2) {
        char32_t unit = char32_t(field[i]) << 8 | field[i + 1];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < length) {
            const char32_t low = char32_t(field[i + 2]) << 8 | field[i + 3];
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        text.push_back(unit);
    }
    return text;
}

// A dstring of `width` bytes at `at` of a descriptor: the characters, the length in its last byte.
void ExpectLabelField(const nx_udf::Block& block, std::size_t at, std::size_t width, const std::u32string& label)
{
    if (block.size() != nx_udf::kBlockSize)
        fuzz::Broken("a descriptor is not one block");
    const std::size_t length = block[at + width - 1];
    if (length >= width)
        fuzz::Broken("a label field is longer than its width");
    const std::u32string stored = Uncompressed(&block[at], length);
    if (label.compare(0, stored.size(), stored) != 0 || (stored.empty() && !label.empty()))
        fuzz::Broken("a label field is not the label's start");
}

} // namespace

std::vector<fuzz::Bytes> fuzz::Seeds()
{
    std::vector<Bytes> seeds;
    for (std::string_view name : {"BDMV", "00001.m2ts", "Reise nach Köln", "東京の夜 2009", "😀 emoji 𝄞 clef",
                                  "a name of exactly thirty-one.xx", "\xC3\x28 bad", "\xED\xA0\x80 surrogate"})
        seeds.emplace_back(name.begin(), name.end());
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto chars = nx_udf::DecodeUtf8(text);
    if (chars && udf_test::Utf8(*chars) != text)
        fuzz::Broken("decoded UTF-8 does not encode back to the same bytes");

    if (auto identifier = nx_udf::FileIdentifier(text)) {
        if (!chars || identifier->size() > 255 || Uncompressed(identifier->data(), identifier->size()) != *chars)
            fuzz::Broken("a file identifier does not decode back to its name");
    }
    if (!chars)
        return 0;

    nx_udf::VolumeFacts volume;
    volume.label = *chars;
    ExpectLabelField(nx_udf::PrimaryVolumeDescriptor(volume), 24, 32, volume.label);
    ExpectLabelField(nx_udf::ImplementationUseVolumeDescriptor(volume), 116, 128, volume.label);
    ExpectLabelField(nx_udf::LogicalVolumeDescriptor(volume), 84, 128, volume.label);
    const nx_udf::Block fileSet = nx_udf::FileSetDescriptor(volume);
    ExpectLabelField(fileSet, 112, 128, volume.label);
    ExpectLabelField(fileSet, 304, 32, volume.label);
    return 0;
}
