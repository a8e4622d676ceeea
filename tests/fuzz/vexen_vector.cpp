// vexen's translation of the legacy engine vector, one word per input line, as profiles and the
// argument builder hand it over. A vector that translates ends with its output.

#include "tests/fuzz/fuzz_target.h"

#include "adapters/vexen/vector_translation.h"

#include <string_view>

std::vector<fuzz::Bytes> fuzz::Seeds()
{
    std::vector<Bytes> seeds;
    for (std::string_view vector : {
             "-ss\n00:00:01.5\n-i\nin.mkv\n-ar\n48000\n-ac\n2\n-ab\n128.000000\n-b\n900\n-s\n640x480\n-map\n0:0\n-"
             "map\n0:1\nout.mp4",
             "-y\n-i\nin.mkv\n-vcodec\nh264\n-acodec\naac\n-croptop\n8\n-cropleft\n4\n-padtop\n16\n-"
             "padcolor\n0x00FF00\n-s\n320x240"
             "\n-vol\n512\n-fs\n2048\n-hq\nout.mkv\n-acodec\nac3\n-ab\n448\n-newaudio",
             "-ivs\n&file a.mkv\n-ias\n&file a.mkv\n-ivs\n&new &file b.mkv\n-ias\n&new &dshow &file "
             "b.mkv\n-s\n320x240\n-an\n"
             "out.avi",
             "-i\nin.mkv\n-vhook\nSubTitleHook -f /tmp/sub's [1].srt\n-f\nmp4\n-threads\n1\nout.mp4",
         })
        seeds.emplace_back(vector.begin(), vector.end());
    return seeds;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> words = {"ffmain"};
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (std::size_t end; !rest.empty(); rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1)) {
        end = rest.find('\n');
        words.emplace_back(rest.substr(0, end));
    }
    const vexen::Translation translation = vexen::TranslateEngineVector(words);
    if (translation.error.empty() &&
        (translation.arguments.empty() || translation.arguments.back() != translation.output))
        fuzz::Broken("a translated vector does not end with its output");
    return 0;
}
