#include "adapters/skivo/skivo.h"

#include <QColor>
#include <QPalette>
#include <QWidget>

#include <cstring>

namespace {

struct Skin {
    bool dialogs = false;
    bool controls = false;
};

Skin g_skin;

// The "lumo" colours: a pale blue face, deep blue for highlights, black text.
QPalette LumoPalette(const QPalette& base)
{
    QPalette palette = base;
    const QColor face(0xD9, 0xEA, 0xFF);
    const QColor deep(0x3A, 0x5D, 0x9E);
    if (g_skin.dialogs) {
        palette.setColor(QPalette::Window, face);
        palette.setColor(QPalette::WindowText, Qt::black);
    }
    if (g_skin.controls) {
        palette.setColor(QPalette::Button, QColor(0xEC, 0xF3, 0xFF));
        palette.setColor(QPalette::ButtonText, Qt::black);
        palette.setColor(QPalette::Base, QColor(0xF7, 0xFA, 0xFF));
        palette.setColor(QPalette::AlternateBase, face);
        palette.setColor(QPalette::Highlight, deep);
        palette.setColor(QPalette::HighlightedText, Qt::white);
        palette.setColor(QPalette::ToolTipBase, QColor(0xFF, 0xFF, 0xF0));
        palette.setColor(QPalette::ToolTipText, Qt::black);
        palette.setColor(QPalette::Link, deep);
    }
    return palette;
}

} // namespace

extern "C" int32_t QLM_InitSkin(int32_t skinDialogs, int32_t skinControls, const char* skinName)
{
    if (!skinName || std::strcmp(skinName, "lumo_skin") != 0)
        return -1;
    g_skin = {skinDialogs != 0, skinControls != 0};
    return 0;
}

extern "C" void QLM_AddFilterHook(void* window)
{
    auto* widget = static_cast<QWidget*>(window);
    if (!widget || !(g_skin.dialogs || g_skin.controls))
        return;
    // Child windows inherit the palette, so a dialog opened from this window is skinned too.
    widget->setPalette(LumoPalette(widget->palette()));
    widget->setAutoFillBackground(true);
}
