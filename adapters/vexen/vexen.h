#ifndef VEXEN_H
#define VEXEN_H
/* vexen: the conversion engine. Probes media in-process and converts through the ffmpeg
   program. Plain C interface; every function may be bound by name. */

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define VEXEN_EXPORT __attribute__((visibility("default")))

/* Stream kinds. Any kind other than video counts as a non-video stream. */
enum {
    VEXEN_KIND_VIDEO = 0,
    VEXEN_KIND_AUDIO = 1,
    VEXEN_KIND_SUBTITLE = 2,
    VEXEN_KIND_DATA = 3,
    VEXEN_KIND_ATTACHMENT = 4, /* attachments and attached pictures (cover art) */
    VEXEN_KIND_OTHER = 5
};

/* 4-byte packing keeps the record at its 556 bytes. */
#pragma pack(push, 4)
typedef struct MediaFileInfo {
    char fileName[256];  /* the path as the engine opened it */
    int64_t duration;    /* microseconds, 0 when unknown */
    int64_t startTime;   /* microseconds, 0 when unknown */
    int32_t bitRate;     /* bits per second */
    int32_t streamCount; /* entries of the stream array; 0 when the file is unreadable */
    int32_t audioCount;
    char formatName[256]; /* container format, as libavformat names it */
    int32_t videoIndex;   /* the video stream to map, -1 when there is none */
    char reserved[12];
} MediaFileInfo;
#pragma pack(pop)

typedef struct StreamInfo {
    int32_t kind;
    char description[256];
    int32_t height;
    int32_t width;
    float aspect; /* display width / height, 0 when unknown */
    char reserved[12];
} StreamInfo;

/* What the conversion decisions need to know of one stream, beyond StreamInfo. */
typedef struct StreamFacts {
    int32_t index;            /* stream index in the file (the "-map" number) */
    int32_t kind;             /* VEXEN_KIND_* as in StreamInfo */
    char codec[32];           /* libavcodec name: "h264", "hevc", "ac3", "aac", "subrip", ... */
    int32_t profile;          /* codecpar->profile (FF_PROFILE_*), -1 unknown */
    int32_t level;            /* codecpar->level; H.264: level_idc (41 = 4.1), -1 unknown */
    int32_t refFrames;        /* H.264: max_num_ref_frames of the sequence parameter set, 0 unknown */
    char pixelFormat[32];     /* av_get_pix_fmt_name, "" unknown */
    int32_t width, height;    /* coded size (before rotation) */
    int32_t sarNum, sarDen;   /* sample aspect ratio, 0/1 unknown */
    int32_t rateNum, rateDen; /* avg_frame_rate (r_frame_rate when avg unknown) */
    int32_t variableRate;     /* 1 when r_frame_rate and avg_frame_rate differ notably */
    int32_t rotation;         /* degrees the picture is turned for display, clockwise: 0, 90, 180, 270 */
    int32_t fieldOrder;       /* 0 unknown, 1 progressive, 2 top first, 3 bottom first */
    int32_t colorTransfer;    /* codecpar->color_trc (16 = PQ, 18 = HLG) */
    int32_t bitsPerRawSample; /* 8, 10, ... 0 unknown */
    int64_t bitRate;          /* bits per second, 0 unknown */
    int32_t sampleRate, channels;
    int64_t maxKeyDistanceMs; /* largest key-frame distance in the first ~10 s of video; -1 not scanned */
    char language[8];         /* "eng", "" unknown */
    char title[128];          /* stream title tag */
    int32_t attachedPicture;  /* 1 for cover art */
    int32_t colorPrimaries;   /* codecpar->color_primaries (1 = BT.709, 9 = BT.2020), 2 unknown */
    int32_t colorSpace;       /* codecpar->color_space, the YUV matrix (9 = BT.2020 non-constant), 2 unknown */
    char reserved[24];
} StreamFacts;

/* Progress and messages of ffmain. value >= 0: seconds converted so far. A value in (-2, 0)
   carries a message for the user in `message`. Return -1 to stop the conversion. */
typedef int32_t (*EngineProgressCallback)(const char* message, double value);

VEXEN_EXPORT int32_t VCInit(void);
VEXEN_EXPORT int32_t VCExit(void);
VEXEN_EXPORT int32_t ExitPlayCurrentFile(void);

/* Fills `info` (zeroed first) and hands out a stream array in *streams (null when the file is
   unreadable). Returns 0 on success, -1 when the file cannot be read. */
VEXEN_EXPORT int32_t GetMediaFileInfo(const char* path, MediaFileInfo* info, StreamInfo** streams,
                                      int32_t usePlatformReader);
VEXEN_EXPORT void FreeContext(MediaFileInfo* info);
VEXEN_EXPORT void FreeStreamInfo(StreamInfo* streams);

/* Every stream's facts, in file order, with a short packet scan for the key-frame distance.
   Returns 0 and a malloc'd array (FreeStreamFacts) of *count entries, -1 when unreadable. */
VEXEN_EXPORT int32_t GetStreamFacts(const char* path, StreamFacts** facts, int32_t* count);
VEXEN_EXPORT void FreeStreamFacts(StreamFacts* facts);

/* GetMediaFileInfo and GetStreamFacts over one opening of the file, whose stream analysis is most
   of what each costs: fills and hands out what the two would. Returns as GetMediaFileInfo does;
   *facts may stay null (count 0) where GetStreamFacts would fail. */
VEXEN_EXPORT int32_t GetMediaFileFacts(const char* path, MediaFileInfo* info, StreamInfo** streams, StreamFacts** facts,
                                       int32_t* count);

/* Field order of stream `streamIndex` as ffmpeg's idet filter sees its first frames, for sources
   whose container says nothing: the StreamFacts fieldOrder codes, 0 when undecided or unreadable. */
VEXEN_EXPORT int32_t ScanFieldOrder(const char* path, int32_t streamIndex);

/* One decoded picture as 8-bit RGB, rows of width * 3 bytes with no padding between them. */
typedef struct FramePicture {
    int32_t width;
    int32_t height;
    uint8_t* pixels; /* FreeFramePicture releases them */
} FramePicture;

/* The first frame of the source's video at or after `seconds` from its start (the last frame when
   that is past the end), turned and stretched as it is displayed and scaled to fit within
   boxWidth x boxHeight. Returns 0 with `picture` filled, 1 when the source has no moving picture
   (audio only, or only cover art), -1 when it cannot be read. Safe to call from several threads. */
VEXEN_EXPORT int32_t GrabFrame(const char* path, double seconds, int32_t boxWidth, int32_t boxHeight,
                               FramePicture* picture);
VEXEN_EXPORT void FreeFramePicture(FramePicture* picture);

/* The start of each chapter in seconds on the file's clock (as MediaFileInfo.startTime counts),
   ascending, in a malloc'd array (FreeChapterStarts) of *count entries. Returns 0 (no array for a
   file without chapters), -1 when the file cannot be read. */
VEXEN_EXPORT int32_t GetChapterStarts(const char* path, double** starts, int32_t* count);
VEXEN_EXPORT void FreeChapterStarts(double* starts);

VEXEN_EXPORT void EnableDshow(int32_t enable);

/* Runs one conversion; argv[0] is "ffmain". Returns 0 when the output was written, 1 when the
   conversion was stopped by the callback, -1 when it failed (the callback got the reason). */
VEXEN_EXPORT int32_t ffmain(int32_t argc, char** argv, EngineProgressCallback callback);

#ifdef __cplusplus
}

static_assert(sizeof(MediaFileInfo) == 556, "MediaFileInfo layout");
static_assert(offsetof(MediaFileInfo, duration) == 256, "MediaFileInfo layout");
static_assert(offsetof(MediaFileInfo, startTime) == 264, "MediaFileInfo layout");
static_assert(offsetof(MediaFileInfo, bitRate) == 272, "MediaFileInfo layout");
static_assert(offsetof(MediaFileInfo, streamCount) == 276, "MediaFileInfo layout");
static_assert(offsetof(MediaFileInfo, audioCount) == 280, "MediaFileInfo layout");
static_assert(offsetof(MediaFileInfo, videoIndex) == 540, "MediaFileInfo layout");
static_assert(sizeof(StreamInfo) == 284, "StreamInfo layout");
static_assert(offsetof(StreamInfo, description) == 4, "StreamInfo layout");
static_assert(offsetof(StreamInfo, height) == 260, "StreamInfo layout");
static_assert(offsetof(StreamInfo, width) == 264, "StreamInfo layout");
static_assert(offsetof(StreamInfo, aspect) == 268, "StreamInfo layout");
#endif

#endif
