#pragma once

#include <QColor>
#include <QString>
#include <string>

#include "state/model.h"

namespace vaultor::ui {

// The core's texts are UTF-8 bytes; lines are joined by CR, CR LF or LF.
inline QString Shown(const std::string& text) {
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

inline std::string Bytes(const QString& text) {
    return text.toUtf8().toStdString();
}

inline QColor ToQColor(const Colour& c) {
    return QColor(c.red, c.green, c.blue);
}

inline Colour FromQColor(const QColor& c) {
    return Colour{static_cast<std::uint8_t>(c.red()), static_cast<std::uint8_t>(c.green()),
                  static_cast<std::uint8_t>(c.blue())};
}

}  // namespace vaultor::ui
