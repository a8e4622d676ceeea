// Makes every test clip and prints its path: make_test_media
#include "tests/media/test_media.h"

#include <exception>
#include <iostream>

int main()
{
    using testmedia::Clip;
    try {
        for (Clip clip :
             {Clip::MatroskaTracks, Clip::Standard4x3, Clip::Wide16x9, Clip::Anamorphic, Clip::TransportStream,
              Clip::Wmv, Clip::AudioOnly, Clip::CoverArt, Clip::NotMedia, Clip::SubtitleText})
            std::cout << testmedia::ClipPath(clip) << "\n";
    } catch (const std::exception& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    return 0;
}
