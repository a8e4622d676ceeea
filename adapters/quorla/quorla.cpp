// The exported C interface of quorla.
#include "adapters/quorla/quorla.h"

#include "adapters/quorla/style_dialog.h"
#include "adapters/quorla/subtitle_style.h"
#include "platform/settings_store.h"
#include "reelvane/frame/language_table.h"
#include "reelvane/frame/saved_language.h"

#include <QApplication>

#include <cstring>

namespace {

bool initialised = false;

QString Text(const char* key, const char* builtin)
{
    return QString::fromStdString(reelvane::LookupText("SUBTITLE_STYLE_DLG", key, builtin));
}

quorla::SubtitleStyle FromBuffer(const QuorlaStyle& buffer)
{
    quorla::SubtitleStyle style;
    style.fontName.assign(buffer.fontName, strnlen(buffer.fontName, sizeof buffer.fontName));
    style.fontSize = buffer.fontSize;
    style.bold = buffer.bold != 0;
    style.italic = buffer.italic != 0;
    style.textColor = static_cast<uint32_t>(buffer.textColor);
    style.outlineColor = static_cast<uint32_t>(buffer.outlineColor);
    style.outlineWidth = buffer.outlineWidth;
    style.position = buffer.position;
    style.margin = buffer.margin;
    return quorla::Sanitized(style);
}

void ToBuffer(const quorla::SubtitleStyle& style, QuorlaStyle& buffer)
{
    std::memset(&buffer, 0, sizeof buffer);
    std::strncpy(buffer.fontName, style.fontName.c_str(), sizeof buffer.fontName - 1);
    buffer.fontSize = style.fontSize;
    buffer.bold = style.bold;
    buffer.italic = style.italic;
    buffer.textColor = static_cast<int32_t>(style.textColor);
    buffer.outlineColor = static_cast<int32_t>(style.outlineColor);
    buffer.outlineWidth = style.outlineWidth;
    buffer.position = style.position;
    buffer.margin = style.margin;
}

} // namespace

extern "C" {

int32_t ST_Init(int32_t)
{
    initialised = true;
    reelvane::SelectSavedLanguage();
    return 0;
}

int32_t ST_Exit(void)
{
    initialised = false;
    return 0;
}

int32_t ST_GetSubtitleStyleDialog(int32_t, QuorlaStyle* style, void* parentWindow)
{
    if (!initialised || !style || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return -1;
    const quorla::SubtitleStyle start =
        quorla::ReadStoredStyle(platform::SettingsStore()).value_or(quorla::SubtitleStyle());
    quorla::StyleDialog dialog(start, &Text, static_cast<QWidget*>(parentWindow));
    if (dialog.exec() != QDialog::Accepted)
        return 1;
    ToBuffer(dialog.style(), *style);
    return 0;
}

int32_t ST_SetIniSubtitleStyle(const QuorlaStyle* style)
{
    if (!style)
        return -1;
    return quorla::StoreStyle(platform::SettingsStore(), FromBuffer(*style)) ? 0 : -1;
}

} // extern "C"
