#pragma once
// What the main window's parts share: their texts from the language pack's main section, and the
// plain push buttons that never take Enter from the list.

#include "reelvane/frame/language_table.h"

#include <QPushButton>
#include <QString>

#include <string>

namespace reelvane {

inline QString Main(const char* key, const char* builtin)
{
    return QString::fromStdString(LookupText("MAIN_DLG", key, builtin));
}

inline QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

inline QPushButton* Button(QWidget* parent, const char* name)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace reelvane
