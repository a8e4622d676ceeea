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

// The "lumo" colours: a pale blue face, deep blue for highlights, black text. Every background
// set comes with its text colours, enabled and disabled, so that a dark desktop theme's light
// text never lands on these light backgrounds.
QPalette LumoPalette(const QPalette& base)
{
    QPalette palette = base;
    const QColor face(0xD9, 0xEA, 0xFF);
    const QColor deep(0x3A, 0x5D, 0x9E);
    const QColor disabledText(0x7A, 0x80, 0x8A);
    auto text = [&](QPalette::ColorRole role) {
        palette.setColor(role, Qt::black);
        palette.setColor(QPalette::Disabled, role, disabledText);
    };
    if (g_skin.dialogs) {
        palette.setColor(QPalette::Window, face);
        text(QPalette::WindowText);
    }
    if (g_skin.controls) {
        palette.setColor(QPalette::Button, QColor(0xEC, 0xF3, 0xFF));
        text(QPalette::ButtonText);
        palette.setColor(QPalette::Base, QColor(0xF7, 0xFA, 0xFF));
        text(QPalette::Text);
        palette.setColor(QPalette::PlaceholderText, QColor(0x5E, 0x64, 0x6E));
        palette.setColor(QPalette::Disabled, QPalette::PlaceholderText, disabledText);
        palette.setColor(QPalette::BrightText, Qt::white);
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
