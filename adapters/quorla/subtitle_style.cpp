#include "adapters/quorla/subtitle_style.h"

#include <algorithm>
#include <cstdio>

namespace quorla {
namespace {

// The renderer's colours are &HAABBGGRR with alpha 0 opaque.
std::string AssColor(uint32_t rgb)
{
    char text[16];
    std::snprintf(text, sizeof text, "&H00%02X%02X%02X", rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
    return text;
}

// Bottom, middle and top centre. The renderer reads an override's alignment in the older
// numbering (top row 5 to 7, middle row 9 to 11), whatever the file's own.
int Alignment(int32_t position)
{
    return position == 2 ? 6 : position == 1 ? 10 : 2;
}

} // namespace

SubtitleStyle Sanitized(SubtitleStyle style)
{
    // The override text separates fields with "," and values with "=".
    std::erase_if(style.fontName, [](char c) { return c == ',' || c == '=' || c == '\n' || c == '\r'; });
    if (style.fontName.empty())
        style.fontName = SubtitleStyle().fontName;
    style.fontSize = std::clamp(style.fontSize, kMinFontSize, kMaxFontSize);
    style.textColor &= 0xFFFFFF;
    style.outlineColor &= 0xFFFFFF;
    style.outlineWidth = std::clamp(style.outlineWidth, 0, kMaxOutlineWidth);
    style.position = std::clamp(style.position, 0, 2);
    style.margin = std::clamp(style.margin, 0, kMaxMargin);
    return style;
}

std::optional<SubtitleStyle> ReadStoredStyle(const platform::SettingsStore& store)
{
    std::optional<std::string> font = store.ReadString("SubtitleFont");
    if (!font)
        return std::nullopt;
    SubtitleStyle style;
    style.fontName = *font;
    style.fontSize = store.ReadInt("SubtitleFontSize").value_or(style.fontSize);
    style.bold = store.ReadInt("SubtitleBold").value_or(0) != 0;
    style.italic = store.ReadInt("SubtitleItalic").value_or(0) != 0;
    style.textColor =
        static_cast<uint32_t>(store.ReadInt("SubtitleTextColor").value_or(static_cast<int32_t>(style.textColor)));
    style.outlineColor =
        static_cast<uint32_t>(store.ReadInt("SubtitleOutlineColor").value_or(static_cast<int32_t>(style.outlineColor)));
    style.outlineWidth = store.ReadInt("SubtitleOutlineWidth").value_or(style.outlineWidth);
    style.position = store.ReadInt("SubtitlePosition").value_or(style.position);
    style.margin = store.ReadInt("SubtitleMargin").value_or(style.margin);
    return Sanitized(style);
}

bool StoreStyle(const platform::SettingsStore& store, const SubtitleStyle& given)
{
    const SubtitleStyle style = Sanitized(given);
    // The font name goes last: it marks the style as stored.
    return store.WriteInt("SubtitleFontSize", style.fontSize) && store.WriteInt("SubtitleBold", style.bold) &&
           store.WriteInt("SubtitleItalic", style.italic) &&
           store.WriteInt("SubtitleTextColor", static_cast<int32_t>(style.textColor)) &&
           store.WriteInt("SubtitleOutlineColor", static_cast<int32_t>(style.outlineColor)) &&
           store.WriteInt("SubtitleOutlineWidth", style.outlineWidth) &&
           store.WriteInt("SubtitlePosition", style.position) && store.WriteInt("SubtitleMargin", style.margin) &&
           store.WriteString("SubtitleFont", style.fontName);
}

std::string ForceStyleText(const SubtitleStyle& given)
{
    const SubtitleStyle style = Sanitized(given);
    // An opaque outline box is never wanted: border style 1 is outline and shadow.
    return "FontName=" + style.fontName + ",FontSize=" + std::to_string(style.fontSize) +
           ",Bold=" + (style.bold ? "-1" : "0") + ",Italic=" + (style.italic ? "-1" : "0") +
           ",PrimaryColour=" + AssColor(style.textColor) + ",OutlineColour=" + AssColor(style.outlineColor) +
           ",BorderStyle=1,Outline=" + std::to_string(style.outlineWidth) + ",Shadow=0" +
           ",Alignment=" + std::to_string(Alignment(style.position)) + ",MarginV=" + std::to_string(style.margin);
}

} // namespace quorla
