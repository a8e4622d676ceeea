#ifndef QUORLA_H
#define QUORLA_H
/* quorla: the subtitle style. A dialog lets the user choose how burnt-in subtitles look; the
   chosen style is kept in the program's settings file, where the conversion engine reads it.
   Plain C interface; every function may be bound by name. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define QUORLA_EXPORT __attribute__((visibility("default")))

/* Subtitle positions. */
enum { QUORLA_BOTTOM = 0, QUORLA_MIDDLE = 1, QUORLA_TOP = 2 };

/* The style buffer the caller owns. Colours are 0xRRGGBB; sizes are in the subtitle's own
   picture of 288 lines, so they scale with the video. */
typedef struct QuorlaStyle {
    char fontName[128];
    int32_t fontSize;
    int32_t bold;
    int32_t italic;
    int32_t textColor;
    int32_t outlineColor;
    int32_t outlineWidth;
    int32_t position;
    int32_t margin; /* from the picture's edge (bottom or top) */
} QuorlaStyle;

/* Call first; `flags` is 0. Returns 0. */
QUORLA_EXPORT int32_t ST_Init(int32_t flags);
QUORLA_EXPORT int32_t ST_Exit(void);

/* Shows the style dialog over `parentWindow` (a QWidget*, or null), starting from the stored
   style. Returns 0 when the user confirmed (the buffer then holds the choice), 1 when cancelled,
   -1 when no dialog can be shown (no application object, or ST_Init was not called). */
QUORLA_EXPORT int32_t ST_GetSubtitleStyleDialog(int32_t flags, QuorlaStyle* style, void* parentWindow);

/* Stores the style in the settings file. Returns 0, or -1 when it could not be written. */
QUORLA_EXPORT int32_t ST_SetIniSubtitleStyle(const QuorlaStyle* style);

#ifdef __cplusplus
}
#endif

#endif
