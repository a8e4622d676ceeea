#include "reelvane/profiles/profile_catalogue.h"

namespace reelvane {
namespace {

constexpr ProfileCatalogueRow kCatalogue[] = {
    {"Common Video", 3, "asf.ini", 4},
    {"Common Video", 3, "divxavi.ini", 5},
    {"Common Video", 3, "gif.ini", 6},
    {"Common Video", 3, "h264avi.ini", 7},
    {"Common Video", 3, "h264mp4.ini", 8},
    {"Common Video", 3, "huffyuv.ini", 7},
    {"Common Video", 3, "mjpgavi.ini", 7},
    {"Common Video", 3, "mkv.ini", 9},
    {"Common Video", 3, "mov.ini", 10},
    {"Common Video", 3, "mp4.ini", 8},
    {"Common Video", 3, "mpg.ini", 11},
    {"Common Video", 3, "MsMpeg4.ini", 7},
    {"Common Video", 3, "msmpeg4v2.ini", 7},
    {"Common Video", 3, "wmv.ini", 12},
    {"Common Video", 3, "wmv2avi.ini", 7},
    {"Common Video", 3, "xvidavi.ini", 13},
    {"Common Video", 3, "3g2aac.ini", 14},
    {"Common Video", 3, "3g2amr.ini", 14},
    {"Common Video", 3, "3gp.ini", 15},
    {"Common Audio", 2, "aac.ini", 16},
    {"Common Audio", 2, "ac3.ini", 17},
    {"Common Audio", 2, "amr.ini", 21},
    {"Common Audio", 2, "au.ini", 18},
    {"Common Audio", 2, "awb.ini", 22},
    {"Common Audio", 2, "flac.ini", 19},
    {"Common Audio", 2, "m4a.ini", 20},
    {"Common Audio", 2, "mmf.ini", 23},
    {"Common Audio", 2, "mp2.ini", 24},
    {"Common Audio", 2, "mp3.ini", 25},
    {"Common Audio", 2, "ogg.ini", 26},
    {"Common Audio", 2, "wma.ini", 27},
    {"Common Audio", 2, "wav.ini", 28},
    {"iPod / Apple TV", 38, "ipodh264.ini", 38},
    {"iPod / Apple TV", 38, "ipodmov.ini", 38},
    {"iPod / Apple TV", 38, "ipodmp4.ini", 38},
    {"iPod / Apple TV", 38, "appletvh264.ini", 39},
    {"iPod / Apple TV", 38, "appletvmp4.ini", 39},
    {"iPod / Apple TV", 38, "ipodtouch4h264.ini", 38},
    {"iPod / Apple TV", 38, "appletvhdh264.ini", 39},
    {"iPhone / iPad", 40, "iphoneh264.ini", 41},
    {"iPhone / iPad", 40, "iphonemp4.ini", 41},
    {"iPhone / iPad", 40, "ipadmp4.ini", 40},
    {"iPhone / iPad", 40, "ipadh264.ini", 40},
    {"iPhone / iPad", 40, "ipadhd.ini", 40},
    {"iPhone / iPad", 40, "iphone4h264.ini", 41},
    {"PSP / PS3", 42, "psp.ini", 43},
    {"PSP / PS3", 42, "ps3.ini", 42},
    {"Flash Video", 44, "flv.ini", 44},
    {"Flash Video", 44, "swf.ini", 45},
    {"Zune / XBOX 360", 46, "zune.ini", 47},
    {"Zune / XBOX 360", 46, "xbox360.ini", 46},
    {"Nokia", 48, "Nokia325032303gp.ini", 48},
    {"Nokia", 48, "NOKIAAMR128x961064.ini", 48},
    {"Nokia", 48, "NOKIAAMR176x1441064.ini", 48},
    {"Nokia", 48, "NokiaN70n90n91Mpeg4.ini", 48},
    {"Nokia", 48, "NokiaN71n73n80n91n92n93H264.ini", 48},
    {"Nokia", 48, "NokiaS3601stedition.ini", 48},
    {"Nokia", 48, "NokiaS3602ndedition.ini", 48},
    {"Mobile Device", 49, "blackberry81xxavi.ini", 50},
    {"Mobile Device", 49, "blackberry88xxavi.ini", 50},
    {"Mobile Device", 49, "blackberry88xxmp4.ini", 50},
    {"Mobile Device", 49, "sony128x96.ini", 49},
    {"Mobile Device", 49, "sony176x144.ini", 49},
    {"Mobile Device", 49, "sony320x240.ini", 49},
    {"Wii", 51, "wiimov.ini", 51},
    {"Wii", 51, "wiiavi.ini", 51},
    {"PowerPoint", 52, "pptmpg.ini", 52},
    {"PowerPoint", 52, "pptwmv.ini", 52},
    {"HD Video", 37, "hd_divxavi.ini", 29},
    {"HD Video", 37, "hd_flv264.ini", 30},
    {"HD Video", 37, "hd_h264_ts.ini", 31},
    {"HD Video", 37, "hd_mkv.ini", 32},
    {"HD Video", 37, "hd_mov.ini", 33},
    {"HD Video", 37, "hd_mp4.ini", 34},
    {"HD Video", 37, "hd_mpeg2_ts.ini", 31},
    {"HD Video", 37, "hd_wmv.ini", 35},
    {"HD Video", 37, "hd_xvidavi.ini", 36},
    {"Blu-ray Disc", 53, "blu-ray_h264.ini", 53},
    {"Blu-ray Disc", 53, "blu-ray_mpeg2.ini", 53},
    {"AVCHD DVD", 54, "avchd_h264.ini", 54},
    {"AVCHD DVD", 54, "avchd_mpeg2.ini", 54},
    {"DVD/SVCD/VCD", 55, "ntscdvd.ini", 55},
    {"DVD/SVCD/VCD", 55, "paldvd.ini", 55},
    {"DVD/SVCD/VCD", 55, "ntscsvcd.ini", 56},
    {"DVD/SVCD/VCD", 55, "palsvcd.ini", 56},
    {"DVD/SVCD/VCD", 55, "ntscvcd.ini", 57},
    {"DVD/SVCD/VCD", 55, "palvcd.ini", 57},
    {"HEVC / AV1 / WebM", 58, "hevc_mkv.ini", 59},
    {"HEVC / AV1 / WebM", 58, "hevc_mp4.ini", 59},
    {"HEVC / AV1 / WebM", 58, "hevc_4k.ini", 60},
    {"HEVC / AV1 / WebM", 58, "av1_mkv.ini", 61},
    {"HEVC / AV1 / WebM", 58, "av1_webm.ini", 62},
    {"HEVC / AV1 / WebM", 58, "vp9_webm.ini", 62},
    {"HEVC / AV1 / WebM", 58, "opus.ini", 63},
    {"HEVC / AV1 / WebM", 58, "alac.ini", 64},
};

static_assert(std::size(kCatalogue) == 95);

} // namespace

std::span<const ProfileCatalogueRow> ProfileCatalogue()
{
    return kCatalogue;
}

ProfileCategory CategoryOfProfileFile(const std::string& fileName)
{
    for (const ProfileCatalogueRow& row : kCatalogue)
        if (fileName == row.profileFile)
            return {row.categoryName, row.categoryImage, row.profileImage};
    return {"Other Profiles", 0, 0};
}

} // namespace reelvane
