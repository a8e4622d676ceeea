#pragma once
// The stored subtitle style: written by quorla, read by vexen when it burns subtitles in.

#include "platform/settings_store.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorla {

struct SubtitleStyle {
    std::string fontName = "DejaVu Sans";
    int32_t fontSize = 22;
    bool bold = false;
    bool italic = false;
    uint32_t textColor = 0xFFFFFF; // 0xRRGGBB
    uint32_t outlineColor = 0x000000;
    int32_t outlineWidth = 2;
    int32_t position = 0; // 0 bottom, 1 middle, 2 top
    int32_t margin = 16;
};

// Limits the dialog offers and the store keeps values within.
inline constexpr int32_t kMinFontSize = 6, kMaxFontSize = 96;
inline constexpr int32_t kMaxOutlineWidth = 10;
inline constexpr int32_t kMaxMargin = 140;

// Values brought into their ranges, the font name freed of characters the style text cannot hold.
SubtitleStyle Sanitized(SubtitleStyle style);

// Nothing when no style was stored.
std::optional<SubtitleStyle> ReadStoredStyle(const platform::SettingsStore& store);
bool StoreStyle(const platform::SettingsStore& store, const SubtitleStyle& style);

// The style as the subtitle renderer's override text ("FontName=...,FontSize=...,...").
std::string ForceStyleText(const SubtitleStyle& style);

} // namespace quorla
