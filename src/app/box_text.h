#pragma once
// Moving numbers between the core's text and the window's boxes.

#include "config/number_text.h"

#include <QLineEdit>
#include <QString>

#include <string>

// What a handler sees of a box's text: its first 19 characters.
inline std::string boxText(const QString& text)
{
    return text.left(int(korval::kScannedChars)).toStdString();
}

inline std::string boxText(const QLineEdit* box)
{
    return boxText(box->text());
}

inline QString qs(const std::string& text)
{
    return QString::fromStdString(text);
}
